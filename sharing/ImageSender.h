#pragma once
#include <cstdint>
#include <string>
#include <vector>

class CImageItem;

// Sending one photo away. The photo's device path becomes its host path,
// which is absolute, so no program can take it for an option.

// The command that sends `hostPath` to a nearby device: the first of
// bluetooth-sendto, blueman-sendto and KDE Connect (to the first reachable
// paired device) that is installed. Empty when there is none; `problem`
// then holds the text to show.
std::vector<std::string> BeamCommand(const std::string& hostPath, std::u16string& problem);
// xdg-email with the photo as attachment; empty (with `problem`) when
// xdg-email is missing.
std::vector<std::string> EmailCommand(const std::string& hostPath, std::u16string& problem);

// Leave full screen and start the sender; when there is none, a message box
// says what to install. 0, or a Windows error number when nothing was sent.
uint32_t BeamImage(const CImageItem& record);
uint32_t EmailImage(const CImageItem& record);
