#pragma once
#include <cstdlib>
#include <optional>
#include <string>

// Sets an environment variable for the object's lifetime.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_previous = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (m_previous) setenv(m_name, m_previous->c_str(), 1);
        else unsetenv(m_name);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_previous;
};
