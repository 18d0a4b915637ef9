#include "imaging/ResampleJob.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/base/WinError.h"

namespace {

bool StrideFits(size_t stride, uint16_t width) {
    return stride % 4 == 0 && stride >= size_t(width) * 4;
}

// Positions (acc >> 16) for acc = 0, step, 2 step, ... (count values).
std::vector<uint32_t> StepTable(uint32_t count, uint32_t step) {
    std::vector<uint32_t> table(count);
    uint32_t acc = 0;
    for (uint32_t& entry : table) {
        entry = acc >> 16;
        acc += step;
    }
    return table;
}

void ResampleStraight(const ResampleJob& job) {
    const size_t sourcePitch = job.sourceStride / 4, destPitch = job.destStride / 4;
    const uint32_t xstep = (uint32_t(job.sourceWidth) << 16) / job.destWidth;
    const uint32_t ystep = (uint32_t(job.sourceHeight) << 16) / job.destHeight;
    const std::vector<uint32_t> columns = StepTable(job.destWidth, xstep);
    const bool sameWidth = job.sourceWidth == job.destWidth;
    uint32_t acc = 0;
    for (uint32_t y = 0; y < job.destHeight; ++y, acc += ystep) {
        const uint32_t* source = job.sourceBits + size_t(acc >> 16) * sourcePitch;
        uint32_t* dest = job.destBits + size_t(y) * destPitch;
        if (sameWidth) {
            std::memcpy(dest, source, size_t(job.destWidth) * 4);
            continue;
        }
        for (uint32_t x = 0; x < job.destWidth; ++x) dest[x] = source[columns[x]];
    }
}

void ResampleTurned(const ResampleJob& job) {
    const size_t sourcePitch = job.sourceStride / 4, destPitch = job.destStride / 4;
    const uint32_t xstep = (uint32_t(job.sourceHeight) << 16) / job.destWidth;
    const uint32_t ystep = (uint32_t(job.sourceWidth) << 16) / job.destHeight;
    // Destination column x reads source row (height - 1) - (x * xstep >> 16).
    std::vector<size_t> rowOffsets(job.destWidth);
    uint32_t acc = 0;
    for (size_t& offset : rowOffsets) {
        offset = size_t(job.sourceHeight - 1u - (acc >> 16)) * sourcePitch;
        acc += xstep;
    }
    const std::vector<uint32_t> columns = StepTable(job.destHeight, ystep);
    // Destination rows are done in bands: the neighbouring source columns
    // they read share cache lines, where one row at a time would walk the
    // whole source height for every destination row.
    constexpr uint32_t BAND = 8;
    for (uint32_t top = 0; top < job.destHeight; top += BAND) {
        const uint32_t rows = std::min<uint32_t>(BAND, job.destHeight - top);
        uint32_t* dest = job.destBits + size_t(top) * destPitch;
        for (uint32_t x = 0; x < job.destWidth; ++x) {
            const uint32_t* sourceRow = job.sourceBits + rowOffsets[x];
            for (uint32_t k = 0; k < rows; ++k)
                dest[k * destPitch + x] = sourceRow[columns[top + k]];
        }
    }
}

}  // namespace

uint32_t ResampleJob::Run() const {
    if (!sourceBits || !destBits || sourceWidth == 0 || sourceHeight == 0 || destWidth == 0 ||
        destHeight == 0 || rotation > 1)
        return ERROR_INVALID_PARAMETER;
    if (!StrideFits(sourceStride, sourceWidth) || !StrideFits(destStride, destWidth))
        return ERROR_INVALID_PARAMETER;
    if (rotation == 0)
        ResampleStraight(*this);
    else
        ResampleTurned(*this);
    return ERROR_SUCCESS;
}
