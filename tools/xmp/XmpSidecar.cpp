#include "tools/xmp/XmpSidecar.h"

#include <exiv2/exiv2.hpp>

#include <cstdlib>
#include <fstream>
#include <mutex>
#include <sstream>

#include "platform/base/AtomicWrite.h"
#include "platform/base/WinError.h"

namespace {

// Our own fields remember what we wrote, so that a later update replaces
// exactly that and leaves the keywords and texts of other tools alone.
constexpr char OWN_NAMESPACE[] = "https://kestrelview.invalid/ns/xmp/1.0/";
constexpr char OWN_PREFIX[] = "kestrelview";
constexpr char OWN_CATEGORY[] = "Xmp.kestrelview.Category";
constexpr char OWN_NOTE[] = "Xmp.kestrelview.Note";
constexpr char SUBJECT[] = "Xmp.dc.subject";
constexpr char DESCRIPTION[] = "Xmp.dc.description";
constexpr char LABEL[] = "Xmp.xmp.Label";
constexpr char PRIVATE_LABEL[] = "Private";
constexpr char EMPTY_PACKET[] =
    "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
    " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\"/>\n"
    "</x:xmpmeta>\n";

void InitialiseOnce() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::XmpParser::initialize();
        Exiv2::XmpProperties::registerNs(OWN_NAMESPACE, OWN_PREFIX);
        // The registered namespace and the toolkit hold memory until undone.
        std::atexit([] {
            Exiv2::XmpProperties::unregisterNs();
            Exiv2::XmpParser::terminate();
        });
    });
}

bool ReadText(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    text = buffer.str();
    return true;
}

std::string TextOf(Exiv2::XmpData& xmp, const char* key) {
    const auto it = xmp.findKey(Exiv2::XmpKey(key));
    return it == xmp.end() ? std::string() : it->toString();
}

void Erase(Exiv2::XmpData& xmp, const char* key) {
    const auto it = xmp.findKey(Exiv2::XmpKey(key));
    if (it != xmp.end()) xmp.erase(it);
}

// The keywords of the bag without `removed`, then `added` when not there.
void ReplaceKeyword(Exiv2::XmpData& xmp, const std::string& removed, const std::string& added) {
    std::vector<std::string> keywords;
    const auto it = xmp.findKey(Exiv2::XmpKey(SUBJECT));
    if (it != xmp.end()) {
        for (long i = 0; i < it->count(); ++i) {
            const std::string word = it->toString(i);
            if (word != removed || removed.empty()) keywords.push_back(word);
        }
        xmp.erase(it);
    }
    if (!added.empty() && std::find(keywords.begin(), keywords.end(), added) == keywords.end())
        keywords.push_back(added);
    if (keywords.empty()) return;
    Exiv2::XmpArrayValue bag(Exiv2::xmpBag);
    for (const std::string& word : keywords) bag.read(word);
    xmp.add(Exiv2::XmpKey(SUBJECT), &bag);
}

void UpdateCategory(Exiv2::XmpData& xmp, const std::string& category) {
    ReplaceKeyword(xmp, TextOf(xmp, OWN_CATEGORY), category);
    Erase(xmp, OWN_CATEGORY);
    if (!category.empty()) xmp[OWN_CATEGORY] = category;
}

// The description is ours when it is empty or still holds what we wrote.
void UpdateNote(Exiv2::XmpData& xmp, const std::string& note) {
    const std::string written = TextOf(xmp, OWN_NOTE);
    const auto it = xmp.findKey(Exiv2::XmpKey(DESCRIPTION));
    std::string current;
    if (it != xmp.end()) {
        const auto* alternatives = dynamic_cast<const Exiv2::LangAltValue*>(&it->value());
        if (alternatives) current = alternatives->toString("x-default");
    }
    const bool ours = it == xmp.end() || current.empty() || (!written.empty() && current == written);
    if (!ours) return;
    Erase(xmp, DESCRIPTION);
    Erase(xmp, OWN_NOTE);
    if (note.empty()) return;
    Exiv2::LangAltValue description;
    description.value_["x-default"] = note;
    xmp.add(Exiv2::XmpKey(DESCRIPTION), &description);
    xmp[OWN_NOTE] = note;
}

void UpdateLabel(Exiv2::XmpData& xmp, bool isPrivate) {
    const std::string label = TextOf(xmp, LABEL);
    if (isPrivate && label.empty()) xmp[LABEL] = PRIVATE_LABEL;
    if (!isPrivate && label == PRIVATE_LABEL) Erase(xmp, LABEL);
}

}  // namespace

std::string XmpSidecarPath(const std::string& photoHostPath) { return photoHostPath + ".xmp"; }

uint32_t WriteXmpSidecar(const std::string& photoHostPath, const PhotoTags& tags) {
    const std::string path = XmpSidecarPath(photoHostPath);
    try {
        InitialiseOnce();
        Exiv2::XmpData xmp;
        std::string packet;
        if (ReadText(path, packet) && !packet.empty() && Exiv2::XmpParser::decode(xmp, packet) != 0)
            return ERROR_INVALID_DATA;
        UpdateCategory(xmp, tags.category);
        UpdateNote(xmp, tags.note);
        UpdateLabel(xmp, tags.isPrivate);
        std::string out;
        if (Exiv2::XmpParser::encode(out, xmp, Exiv2::XmpParser::omitPacketWrapper) != 0)
            return ERROR_INVALID_DATA;
        // Nothing to say is still a sidecar other tools can read.
        if (out.empty()) out = EMPTY_PACKET;
        return ReplaceHostFile(path, out);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (const std::exception&) {
        return ERROR_INVALID_DATA;
    }
}
