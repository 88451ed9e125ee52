// A .zip of any bytes through the archive walk, read in memory.
#include "FuzzCommon.h"

#include "reading/ArchiveWalk.h"
#include "reading/DocumentFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    UnzipLimits limits;
    limits.MaxTotalBytes = qint64(64) << 20; // keep each run short
    limits.RatioCheckBytes = qint64(1) << 20;
    limits.MaxEntries = 10000;
    QStringList problems;
    qint64 taken = 0;
    const auto take = [&](const ArchiveEntry& entry, const QByteArray& bytes) {
        // Only what the safety rules let through reaches here.
        FUZZ_CHECK(!entry.Parts.isEmpty() && !entry.Folder);
        for (const QString& part : entry.Parts)
            FUZZ_CHECK(part.size() >= 2 && part != u".." && !part.contains(u'/') &&
                       !part.contains(u'\\'));
        FUZZ_CHECK(bytes.size() <= LargestDocumentBytes);
        taken += bytes.size();
        return true;
    };
    // Entries taken as stored unpack to their stated size or not at all.
    const auto takePacked = [&](const ArchiveEntry& entry, const PackedEntry& packed) {
        const std::optional<QByteArray> bytes = Unpack(packed);
        FUZZ_CHECK(!bytes || bytes->size() == packed.Size);
        return take(entry, bytes.value_or(QByteArray(qsizetype(packed.Size), 'x')));
    };
    ReadArchiveEntries(ArchiveSource("fuzz.zip", Input(data, size)), {}, take, problems, limits,
                       {}, nullptr, nullptr, size % 2 ? ArchivePackedTake(takePacked) : nullptr);
    FUZZ_CHECK(taken <= limits.MaxTotalBytes);
    return 0;
}
