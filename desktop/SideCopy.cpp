#include "desktop/SideCopy.h"

#include <memory>

int32_t CSideCopy::Copy(ISyncSide& from, const std::string& fromPath, ISyncSide& to,
                        const std::string& toFolder, const std::string& name, uint32_t time, uint32_t& kept) {
    kept = time;
    std::unique_ptr<ISideWriter> out;
    if (int32_t err = to.CreateTemporary(toFolder, out)) return err;
    const std::string temp = out->Path();
    int32_t result = 0;
    {
        std::unique_ptr<ISideReader> in;
        result = from.OpenRead(fromPath, in);
        if (result == 0) result = Blocks(*in, *out);
        if (result == 0) result = out->Finish(time, kept);
    }
    out.reset();  // closed before it is renamed or removed
    if (result == 0) result = to.Replace(temp, to.Join(toFolder, name));
    if (result != 0) to.Delete(temp);
    return result;
}

int32_t CSideCopy::Blocks(ISideReader& in, ISideWriter& out) {
    std::unique_ptr<uint8_t[]> block(new uint8_t[kBlockSize]);
    for (;;) {
        uint32_t got = 0;
        if (int32_t err = in.Read(block.get(), kBlockSize, got)) return err;
        if (int32_t stopped = m_tick()) return stopped;
        if (int32_t err = out.Write(block.get(), got)) return err;
        if (got < kBlockSize) return 0;
    }
}
