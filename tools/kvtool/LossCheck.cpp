#include "tools/kvtool/LossCheck.h"

#include "catalogue/TrailerEdits.h"
#include "platform/base/Text.h"

std::string UnstorableCharacters(std::u16string_view text) {
    std::u16string lost;
    for (const char16_t c : text) {
        const std::u16string one(1, c);
        if (c != u'?' && Utf16ToAnsi(one) == "?" && lost.find(c) == std::u16string::npos) lost += c;
    }
    return Utf16ToUtf8(lost);
}

std::string NoteLoss(std::u16string_view note) {
    std::string reasons;
    const auto add = [&](const std::string& reason) { reasons += (reasons.empty() ? "" : "; ") + reason; };
    std::u16string lines;
    for (size_t i = 0; i < note.size(); ++i) {
        if (note[i] != u'\r') {
            lines += note[i];
        } else if (i + 1 >= note.size() || note[i + 1] != u'\n') {
            add("a carriage return without a line feed would be dropped, joining the text around it");
        }
    }
    const size_t stored = Utf16ToAnsi(lines).size();
    if (stored > NOTE_MAX_STORED) {
        add("the note is " + std::to_string(stored) + " bytes; only the first " + std::to_string(NOTE_MAX_STORED) +
            " would be kept");
    }
    if (const std::string lost = UnstorableCharacters(note); !lost.empty()) {
        add("these characters cannot be stored and would become '?': " + lost);
    }
    return reasons;
}

std::string NameLoss(std::u16string_view name) {
    const std::string lost = UnstorableCharacters(name);
    return lost.empty() ? "" : "these characters cannot be stored and would become '?': " + lost;
}
