#include "catalogue/FolderList.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::u16string> Paths(const CFolderList& list) {
    std::vector<std::u16string> out;
    for (const auto& item : list.GetItems()) out.push_back(item->GetPath());
    return out;
}

TEST(FolderList, InternalGoesFirstCardsFollowInOrderAndDuplicatesAreIgnored) {
    CFolderList list;
    list.Add(u"\\Storage Card", u"Storage Card", true);
    list.Add(u"\\CF Card", u"CF Card", true);
    list.Add(u"\\My Documents\\Kestrelview", u"Internal", false);
    list.Add(u"\\storage card", u"again", true);
    list.Add(u"\\MY DOCUMENTS\\kestrelview", u"again", false);
    EXPECT_EQ((std::vector<std::u16string>{u"\\My Documents\\Kestrelview", u"\\Storage Card", u"\\CF Card"}),
              Paths(list));
    EXPECT_EQ(u"Storage Card", list.Find(u"\\STORAGE CARD")->GetName());
    EXPECT_TRUE(list.Find(u"\\CF Card")->IsEnabled());
    EXPECT_TRUE(list.Find(u"\\CF Card")->IsRemovable());
    EXPECT_FALSE(list.GetItems().front()->IsRemovable());

    EXPECT_TRUE(list.Remove(u"\\cf card"));
    EXPECT_FALSE(list.Remove(u"\\cf card"));
    EXPECT_EQ(2u, list.Count());
}

TEST(FolderList, ContainsIsAPrefixTestIgnoringCase) {
    CFolderList list;
    list.Add(u"\\My Documents\\Kestrelview", u"Internal", false);
    list.Add(u"\\Storage Card", u"Storage Card", true);
    EXPECT_TRUE(list.Contains(u"\\my documents\\kestrelview\\a.jpg"));
    EXPECT_TRUE(list.Contains(u"\\Storage Card\\DCIM\\100\\b.jpg"));
    EXPECT_TRUE(list.Contains(u"\\Storage Cards\\x.jpg"));  // plain prefix, as the scanner expects
    EXPECT_FALSE(list.Contains(u"\\My Documents\\other.jpg"));
    EXPECT_FALSE(CFolderList().Contains(u"\\anything"));
}

TEST(FolderList, ImageFolderOfALocation) {
    // The internal folder is its own image folder, whatever its letter case.
    EXPECT_EQ(u"\\my documents\\kestrelview",
              CFolderList::ImageFolderOf(CFolderItem(u"\\my documents\\kestrelview", u"Internal", false)));
    EXPECT_EQ(u"\\Storage Card\\My Documents\\Kestrelview",
              CFolderList::ImageFolderOf(CFolderItem(u"\\Storage Card", u"Storage Card", true)));
}

}  // namespace
