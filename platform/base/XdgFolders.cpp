#include "platform/base/XdgFolders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace {

std::string AbsoluteOr(const char* variable, const char* underHome) {
    const char* value = std::getenv(variable);
    if (value && value[0] == '/') return value;
    return HomeFolder() + "/" + underHome;
}

}  // namespace

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home && home[0]) return home;
    const passwd* pw = getpwuid(getuid());
    return pw && pw->pw_dir ? pw->pw_dir : "/tmp";
}

std::string XdgConfigHome() { return AbsoluteOr("XDG_CONFIG_HOME", ".config"); }

std::string XdgDataHome() { return AbsoluteOr("XDG_DATA_HOME", ".local/share"); }
