#include "desktop/SyncReporter.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/base/MessageBox.h"

namespace {
constexpr size_t kLineSize = 300;
}

std::string FormatLine(const char* format, ...) {
    char buffer[kLineSize];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

CSyncReporter::CSyncReporter(SyncProgressCallback callback, std::string brand, std::string application)
    : m_callback(callback), m_brand(std::move(brand)), m_application(std::move(application)) {}

int32_t CSyncReporter::Send(const std::string& line) {
    if (!m_callback) return 0;
    char buffer[kLineSize] = {};
    std::memcpy(buffer, line.data(), std::min(line.size(), kLineSize - 1));
    return m_callback(buffer) != 0 ? ERR_SYNC_CANCELLED : 0;
}

int32_t CSyncReporter::Progress(const char* text, const std::string& argument) {
    if (std::strstr(text, "%s")) return Send(FormatLine(text, argument.c_str()));
    return Send(text);
}

int32_t CSyncReporter::Tick() { return Send({}); }

void CSyncReporter::Message(const std::string& text) const {
    MessageBoxA(nullptr, text.c_str(), m_brand.c_str(), MB_ICONERROR);
}

void CSyncReporter::MessageNameTooLong(const std::string& name, int maximum) const {
    Message(FormatLine(SyncText::kNameTooLong, name.c_str(), maximum));
}

void CSyncReporter::MessageWithError(const char* format, const std::string& path, long error) const {
    Message(FormatLine(format, path.c_str(), error));
}

void CSyncReporter::MessageFinalError(int32_t result) const {
    const char* app = m_application.c_str();
    if (result == ERR_DESKTOP_CATEGORIES_OUT_OF_DATE)
        Message(FormatLine(SyncText::kDesktopCategoriesOld, app, app));
    else if (result == ERR_HANDHELD_CATEGORIES_OUT_OF_DATE)
        Message(FormatLine(SyncText::kHandheldCategoriesOld, app, app));
    else
        Message(FormatLine(SyncText::kUnexpectedError, static_cast<int>(result)));
}
