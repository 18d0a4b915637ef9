#pragma once
#include <cstdint>
#include <string>

// The program's string table: every fixed text the user sees, by number.
// Texts that share their number with a command (its tooltip or menu text)
// are named after it.
constexpr uint32_t STRING_TOOLS = 103;
constexpr uint32_t STRING_MAINFRAME = 128;
constexpr uint32_t STRING_NEW = 65000;
constexpr uint32_t STRING_VIEW_PREFERENCES = 32783;
constexpr uint32_t STRING_SLIDESHOW_PREFERENCES = 32784;
constexpr uint32_t STRING_SLIDESHOW = 32892;

// The text of a string resource; empty for an unknown number.
std::u16string LoadString(uint32_t id);
