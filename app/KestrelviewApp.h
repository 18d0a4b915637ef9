#pragma once
#include <memory>
#include <string>

#include "platform/framework/Application.h"

class DisplayBackend;

// The version shown in the About box.
inline constexpr char16_t PROGRAM_VERSION[] = u"1.0";

// The program object: picks the view (a photo given on the command line
// opens the single photo view, else the browser), makes the document, the
// frame and the view, and makes sure the preferences key exists.
class CKestrelviewApp : public Application {
public:
    CKestrelviewApp();

    // Registers the window classes the screens and dialogs use.
    bool InitApplication() override;
    bool InitInstance() override;

    // Whether a command line picks the single photo view.
    static bool OpensSinglePhoto(std::u16string_view commandLine) {
        return !commandLine.empty() && commandLine[0] != 0;
    }

private:
    void ShowAbout();
};
