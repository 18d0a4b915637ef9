#include "app/Icons.h"

namespace {

// One character per pixel; '.' is the key colour.
struct Ink {
    char code;
    COLORREF colour;
};

constexpr Ink TOOLBAR_INKS[] = {
    {'k', RGB(40, 40, 48)},    {'g', RGB(120, 120, 128)}, {'w', RGB(255, 255, 255)},
    {'b', RGB(40, 110, 220)},  {'d', RGB(20, 50, 140)},   {'s', RGB(150, 205, 250)},
    {'G', RGB(50, 160, 60)},   {'y', RGB(250, 200, 40)},
};

constexpr Ink ICON_INKS[] = {
    {'K', RGB(45, 35, 30)},    {'g', RGB(125, 140, 168)}, {'G', RGB(88, 100, 128)},
    {'w', RGB(250, 246, 234)}, {'c', RGB(238, 206, 150)}, {'r', RGB(204, 108, 52)},
    {'R', RGB(152, 72, 32)},   {'B', RGB(32, 32, 38)},    {'y', RGB(246, 196, 40)},
    {'e', RGB(24, 20, 28)},    {'W', RGB(255, 255, 255)}, {'b', RGB(72, 82, 104)},
    {'s', RGB(172, 214, 248)}, {'o', RGB(36, 84, 160)},
};

using Picture15 = const char* const[TOOLBAR_IMAGE_SIZE];

// Rows of bullets and text lines.
constexpr Picture15 LIST_VIEW = {
    "...............", "...............", ".dd.kkkkkkkkkk.", ".dd............",
    "...............", ".dd.kkkkkkkkkk.", ".dd............", "...............",
    ".dd.kkkkkkkkkk.", ".dd............", "...............", ".dd.kkkkkkkkkk.",
    ".dd............", "...............", "...............",
};

// Two pictures, each beside its lines.
constexpr Picture15 DETAIL_VIEW = {
    "...............", "kkkkkkk........", "ksssyskkkkkkkkk", "ksssssk........",
    "kssGssk.ggggggg", "kGGGGGk........", "kkkkkkk........", "...............",
    "kkkkkkk........", "ksyssskkkkkkkkk", "ksssssk........", "ksssGGk.ggggggg",
    "kGGGGGk........", "kkkkkkk........", "...............",
};

// Three rows of three small squares.
constexpr Picture15 THUMBNAIL_VIEW = {
    "...............", "kkkk.kkkk.kkkk.", "kbbk.kbbk.kbbk.", "kbbk.kbbk.kbbk.",
    "kkkk.kkkk.kkkk.", "...............", "kkkk.kkkk.kkkk.", "kbbk.kbbk.kbbk.",
    "kbbk.kbbk.kbbk.", "kkkk.kkkk.kkkk.", "...............", "kkkk.kkkk.kkkk.",
    "kbbk.kbbk.kbbk.", "kbbk.kbbk.kbbk.", "kkkk.kkkk.kkkk.",
};

// Two rows of two larger pictures.
constexpr Picture15 GALLERY_VIEW = {
    "kkkkkkk.kkkkkkk", "ksssysk.ksysssk", "ksssssk.ksssssk", "ksGsssk.ksssGsk",
    "kGGGssk.kssGGGk", "kGGGGGk.kGGGGGk", "kkkkkkk.kkkkkkk", "...............",
    "kkkkkkk.kkkkkkk", "kssssyk.ksssssk", "ksssssk.ksysssk", "kssGGsk.ksssssk",
    "ksGGGGk.kGGsGGk", "kGGGGGk.kGGGGGk", "kkkkkkk.kkkkkkk",
};

// A play triangle.
constexpr Picture15 SLIDE_SHOW = {
    "...............", "...kk..........", "...kGk.........", "...kGGk........",
    "...kGGGk.......", "...kGGGGk......", "...kGGGGGk.....", "...kGGGGGGk....",
    "...kGGGGGk.....", "...kGGGGk......", "...kGGGk.......", "...kGGk........",
    "...kGk.........", "...kk..........", "...............",
};

// A smaller play triangle with a gear.
constexpr Picture15 SLIDE_SHOW_PREFERENCES = {
    "kk.............", "kGk............", "kGGk...........", "kGGGk..........",
    "kGGGGk.........", "kGGGGGk........", "kGGGGk....k....", "kGGGk..k.kkk.k.",
    "kGGk....kkkkk..", "kGk....kkk.kkk.", "kk....kkk...kkk", ".......kkk.kkk.",
    "........kkkkk..", ".......k.kkk.k.", "..........k....",
};

// A ticked box and an empty one, each with its line.
constexpr Picture15 VIEW_PREFERENCES = {
    "...........G...", "kkkkkk....GG...", "kwwwwk...GG....", "kwwwwk..GG.....",
    "kwGwwk.GG......", "kwGGwkGG.......", "kwwGGGGk.......", "kkkkGGkk.......",
    "...............", "...............", "kkkkkk.........", "kwwwwk.kkkkkkk.",
    "kwwwwk.........", "kwwwwk.........", "kkkkkk.........",
};

// In the order of ToolbarImage.
constexpr const Picture15* TOOLBAR_PICTURES[TOOLBAR_IMAGE_COUNT] = {
    &LIST_VIEW,  &DETAIL_VIEW,           &THUMBNAIL_VIEW,   &GALLERY_VIEW,
    &SLIDE_SHOW, &SLIDE_SHOW_PREFERENCES, &VIEW_PREFERENCES,
};

// A kestrel's head facing right: blue-grey crown, yellow-ringed eye, dark
// "moustache" below it, hooked bill, rufous spotted nape, all in a sky disc.
constexpr const char* PROGRAM_ICON[PROGRAM_ICON_SIZE] = {
    "..............oooo..............", "..........oooossssoooo..........",
    "........oossssssssssssoo........", ".......osssKKKKKKssssssso.......",
    ".....oossKKggggggKKssssssoo.....", "....oossKgggggggggGKssssssoo....",
    "....ossKggggggggggggKsssssso....", "...ossKGgggggggggggggKsssssso...",
    "..osssKGggggggggKKKgggKsssssso..", "..ossKGGgggggggKyyyKggKsssssso..",
    ".osssKGgggggggKyeeWyKggKKssssso.", ".osssKRGggggggKyeeeyKgKyyKsssso.",
    ".ossKRRGggggggKyeeeyKKyyyyKssso.", ".ossKRRRGgggwwwKyyyKwwKbbbbKsso.",
    "osssKRrRRGgwwwwwKKKwwwwKbbbbKsso", "osssKRrrRGwwwwwwwBwwwwwwKKbbbKso",
    "osssKRrrrRwwwwwwwBBwwwwwwwKbbKso", "osssKRrBrrRwwwwwwBBwwwwwwwKbKsso",
    ".ossKRrrrrRwwwwwwBBBwwwwwKbKsso.", ".osssKRrrrRwwwwwwwBBwwwwKKsssso.",
    ".osssKRrBrrRcwwwwwwBwwwKKssssso.", ".osssKRrrrrRccccwwwwwwKssssssso.",
    "..osssKRrrrRcccBcccccKssssssso..", "..osssKRrBrrRcccccBccKssssssso..",
    "...ossKRrrrrRccBcccccKsssssso...", "....ossKRrrrRcccccBcKsssssso....",
    "....oosKRrrrRcBccccKssssssoo....", ".....ooKRrBrRcccccBcKssssoo.....",
    ".......orrrrRccBccccKssso.......", "........oorRcccccBcccKoo........",
    "..........ooooBcccoooo..........", "..............oooo..............",
};

template <size_t N>
bool InkColour(const Ink (&inks)[N], char code, COLORREF key, COLORREF& colour) {
    if (code == '.') {
        colour = key;
        return true;
    }
    for (const Ink& ink : inks)
        if (ink.code == code) {
            colour = ink.colour;
            return true;
        }
    return false;
}

// Draws `size` rows of `size` characters at (left, 0) of the bitmap; false
// at a character the palette lacks, so that a slip in a table shows.
template <size_t N>
bool DrawPicture(Bitmap& bitmap, int32_t left, const char* const* rows, int32_t size,
                 const Ink (&inks)[N], COLORREF key) {
    for (int32_t y = 0; y < size; ++y)
        for (int32_t x = 0; x < size; ++x) {
            COLORREF colour;
            if (!InkColour(inks, rows[y][x], key, colour)) return false;
            bitmap.SetValue(left + x, y, PixelFromColour(colour));
        }
    return true;
}

}  // namespace

std::unique_ptr<Bitmap> MakeToolbarImages() {
    auto strip = Bitmap::Create(TOOLBAR_IMAGE_SIZE * TOOLBAR_IMAGE_COUNT, TOOLBAR_IMAGE_SIZE, 32);
    if (!strip) return nullptr;
    for (int32_t i = 0; i < TOOLBAR_IMAGE_COUNT; ++i)
        if (!DrawPicture(*strip, i * TOOLBAR_IMAGE_SIZE, *TOOLBAR_PICTURES[i],
                         TOOLBAR_IMAGE_SIZE, TOOLBAR_INKS, TOOLBAR_IMAGE_KEY_COLOUR))
            return nullptr;
    return strip;
}

std::unique_ptr<Bitmap> MakeProgramIcon() {
    auto icon = Bitmap::Create(PROGRAM_ICON_SIZE, PROGRAM_ICON_SIZE, 32);
    if (!icon) return nullptr;
    if (!DrawPicture(*icon, 0, PROGRAM_ICON, PROGRAM_ICON_SIZE, ICON_INKS, PROGRAM_ICON_KEY_COLOUR))
        return nullptr;
    return icon;
}
