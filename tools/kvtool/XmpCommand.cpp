#include "catalogue/CategoryDB.h"
#include "catalogue/ImageItem.h"
#include "platform/base/DeviceFolder.h"
#include "platform/base/Text.h"
#include "tools/kvtool/Commands.h"
#include "tools/kvtool/ErrorText.h"
#include "tools/kvtool/ImageTarget.h"
#include "tools/xmp/XmpSidecar.h"

namespace {

// An unfiled photo has no category keyword.
PhotoTags TagsOf(CImageItem& item, const CCategoryDB& db) {
    PhotoTags tags;
    if (item.GetCategory() != CATEGORY_ID_UNFILED) tags.category = Utf16ToUtf8(item.GetCategoryName(db));
    tags.note = Utf16ToUtf8(NoteWithoutReturns(item.GetNote()));
    tags.isPrivate = item.IsPrivate();
    return tags;
}

int WriteSidecar(const CommandContext& ctx, const CCategoryDB& db, const std::string& hostPath) {
    const ImageTarget target(hostPath);
    CImageItem item;
    if (const uint32_t err = item.InitFromFile(target.HandheldPath(), target.IsRemovable())) {
        ctx.Fail(hostPath, FileErrorText(static_cast<int>(err), hostPath));
        return 1;
    }
    if (const uint32_t err = WriteXmpSidecar(hostPath, TagsOf(item, db))) {
        ctx.Fail(XmpSidecarPath(hostPath), FileErrorText(static_cast<int>(err), XmpSidecarPath(hostPath)));
        return 1;
    }
    ctx.out << XmpSidecarPath(hostPath) << "\n";
    return 0;
}

}  // namespace

// Sidecars for the photos named, or for every photo of the device folder.
int RunXmp(const CommandContext& ctx) {
    CCategoryDB db;
    // Without a database every photo still gets its note and mark.
    if (ctx.line.Has("--db")) {
        if (OpenCategoryDB(ctx, db) != 0) return 1;
    } else {
        db.Load(CATEGORY_DB_PATH);
    }
    std::vector<std::string> hostPaths = ctx.words;
    if (hostPaths.empty()) {
        for (const std::u16string& path : AllImagePaths()) {
            std::string host;
            if (DeviceFolder::Current().ToHost(path, host) == 0) hostPaths.push_back(host);
        }
    }
    int status = 0;
    for (const std::string& hostPath : hostPaths) status |= WriteSidecar(ctx, db, hostPath);
    return status;
}
