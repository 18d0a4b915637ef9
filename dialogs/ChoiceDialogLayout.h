#pragma once
#include <string_view>

class Dialog;

// The layout Categorize All and Move All share: a question over two lines,
// a sorted drop-down list with id `listId`, then OK and Cancel.
void AddChoiceControls(Dialog& dialog, std::u16string_view firstLine, std::u16string_view secondLine,
                       int listId);
