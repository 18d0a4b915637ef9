#include "catalogue/StringTable.h"

#include <unordered_map>

#include "catalogue/CatalogueStrings.h"

std::u16string LoadString(uint32_t id) {
    static const std::unordered_map<uint32_t, std::u16string_view> table = {
        {STRING_TOOLS, u"Tools"},
        {STRING_MAINFRAME, u"Kestrelview\n\nKestrelview\n\n\nKestrelview.Document\nKestrelview Document"},
        {130, u"Are you sure you want to delete this image?"},
        {131, STRING_ALL},
        {132, STRING_UNFILED},
        {133, u"Are you sure you want to delete the selected category?"},
        {134, u"Delete all images currently being displayed?"},
        {135, u"There was an error setting the today wallpaper. Check to make sure you have enough "
              u"storage on your handheld and write access."},
        {136, u"The selected image has been deleted."},
        {137, u"A category with that name already exists."},
        {138, u"There was an error moving the file. Check that you have sufficient space and write "
              u"access."},
        {139, u"A file with that name already exists."},
        {140, STRING_INTERNAL},
        {141, u"Incorrect password."},
        {142, u"Incorrect password."},
        {143, u"The confirm password doesn't match."},
        {144, u"The category name cannot be greater than 31 characters."},
        {145, u"The categories could not be saved. Check that you have write access."},
        {146, u"That location is no longer there. Choose another one."},
        {148, u"An image with the same name already exists at the new location."},
        {149, u"There was an error moving one or more images to the new location. Check to make "
              u"sure there's sufficient space and that you have write access."},
        {150, u"A file name cannot be empty or hold any of these characters: \\ / : * ? \" < > |"},
        {500, u"Location"},
        {501, u"Name"},
        {502, u"Category"},
        {504, u"Size"},
        {505, u"Dimensions"},
        {506, u"Date"},
        {507, u"Note"},
        {508, u"All"},
        {509, u"Show Private Images"},
        {510, u"Hide Private Images"},
        {STRING_NEW, u"New"},
        {32878, u"List View"},
        {32879, u"Detail View"},
        {32880, u"Thumbnail View"},
        {32881, u"Gallery View"},
        {STRING_SLIDESHOW, u"Start slide show"},
        {STRING_SLIDESHOW_PREFERENCES, u"Slide show preferences"},
        {STRING_VIEW_PREFERENCES, u"View Preferences"},
    };
    auto it = table.find(id);
    return it == table.end() ? std::u16string() : std::u16string(it->second);
}
