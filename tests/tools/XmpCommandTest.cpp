#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/base/Process.h"
#include "tests/support/TestSupport.h"
#include "tests/tools/KvtoolProgram.h"

namespace {

// A device folder with three photos, the real kvtool writing their
// sidecars, and exiftool reading them back as other photo tools would.
class XmpCommandTest : public ::testing::Test {
protected:
    TempDir root;
    const std::vector<uint8_t> photo = ReadHostFile(std::string(KV_SOURCE_DIR) + "/samples/sunset.jpg");

    std::string Main(const std::string& name) const { return root / ("My Documents/Kestrelview/" + name); }

    void SetUp() override {
        for (const char* name : {"tagged.jpg", "plain.jpg", "shared.jpg"}) WriteHostFile(Main(name), photo);
        Ok({"categories", "add", "Holidays"});
        Ok({"categories", "add", "Family"});
        Ok({"category", Main("tagged.jpg"), "Holidays"});
        Ok({"note", Main("tagged.jpg"), "Sunset at the pier"});
        Ok({"private", Main("tagged.jpg"), "on"});
    }

    std::string Ok(std::vector<std::string> args) const {
        args.insert(args.begin(), {"--root", root.Path()});
        const ProgramRun run = RunKvtoolProgram(args, LocaleEnvironment("C"));
        EXPECT_EQ(0, run.status) << run.err;
        return run.out;
    }

    // One tag of a sidecar as exiftool prints it ("" when absent).
    std::string Tag(const std::string& photoName, const std::string& tag) const {
        std::string out;
        EXPECT_EQ(0, RunProgram({"exiftool", "-s3", "-sep", ",", "-" + tag, Main(photoName) + ".xmp"}, out));
        out.erase(std::remove(out.begin(), out.end(), '\n'), out.end());
        return out;
    }
};

}  // namespace

TEST_F(XmpCommandTest, SidecarsCarryCategoryNoteAndMarkAndKeepWhatOthersWrote) {
    // Another tool's sidecar: a creator, a keyword and its own label.
    const std::string foreign =
        "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
        "<rdf:Description rdf:about=\"\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\">"
        "<dc:creator><rdf:Seq><rdf:li>Ada</rdf:li></rdf:Seq></dc:creator>"
        "<dc:subject><rdf:Bag><rdf:li>Beach</rdf:li></rdf:Bag></dc:subject>"
        "</rdf:Description></rdf:RDF></x:xmpmeta>";
    WriteHostFile(Main("shared.jpg.xmp"), std::vector<uint8_t>(foreign.begin(), foreign.end()));
    Ok({"category", Main("shared.jpg"), "Family"});
    const std::vector<uint8_t> before = ReadHostFile(Main("tagged.jpg"));

    Ok({"xmp"});
    EXPECT_EQ("Holidays", Tag("tagged.jpg", "Subject"));
    EXPECT_EQ("Sunset at the pier", Tag("tagged.jpg", "Description"));
    EXPECT_EQ("Private", Tag("tagged.jpg", "Label"));
    EXPECT_EQ("", Tag("plain.jpg", "Subject"));
    EXPECT_EQ("", Tag("plain.jpg", "Description"));
    EXPECT_EQ("", Tag("plain.jpg", "Label"));
    EXPECT_EQ("Ada", Tag("shared.jpg", "Creator"));
    EXPECT_EQ("Beach,Family", Tag("shared.jpg", "Subject"));
    EXPECT_EQ(before, ReadHostFile(Main("tagged.jpg")));

    // A later run replaces only what the earlier one wrote.
    Ok({"category", Main("shared.jpg"), "Holidays"});
    Ok({"private", Main("tagged.jpg"), "off"});
    Ok({"xmp", Main("shared.jpg"), Main("tagged.jpg")});
    EXPECT_EQ("Beach,Holidays", Tag("shared.jpg", "Subject"));
    EXPECT_EQ("Ada", Tag("shared.jpg", "Creator"));
    EXPECT_EQ("", Tag("tagged.jpg", "Label"));
    EXPECT_EQ("Holidays", Tag("tagged.jpg", "Subject"));
}
