#pragma once
#include <string>
#include <string_view>

// Which program opens JPEG files, in the handheld's registry and for the
// desktop user.

// The open command and icon of one file type: the extension's key names
// its class, whose "DefaultIcon" and "Shell\Open\Command" keys get the
// texts. Keys are opened, never created; a key that is missing is skipped.
void SetFileClassCommand(std::u16string_view extension, std::u16string_view icon,
                         std::u16string_view command);

// On: this program opens ".jpg" and ".jpeg" files, on the handheld and for
// the desktop user; off: the handheld's browser does, and the desktop gets
// back the viewer it had before. Every window is told to reload settings.
void SetDefaultViewer(bool on);

// A new device's registry has the JPEG classes a handheld ships with, so
// that the association has keys to write to. Keys already there stay.
void EnsureJpegClassKeys();
