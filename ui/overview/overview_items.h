#pragma once
// What the overview knows of each file: its thumbnail and seam once made, the order it is shown in,
// and the thumbnails kept for the rest of the run.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "forms/picture.h"
#include "imaging/pixels.h"
#include "imaging/repeat.h"

namespace ui {

// What one decoding of a file gave.
struct TileFacts {
    bool readable = false;
    int width = 0;  // the picture's own size
    int height = 0;
    double seam = 0.0;         // the seam measure of the full picture
    imaging::Image32 thumbnail;  // its 2 × 2 view reduced; empty when not readable
};

// Decodes the file once and makes its thumbnail (side × side over `background`, 0x00RRGGBB) and its
// seam measure from the full picture. Callable from any thread; a thread that makes many passes its
// own `buffer` each time, so that the decoded pixels reuse its memory.
std::shared_ptr<const TileFacts> MakeTileFacts(const std::wstring& path, int side, std::uint32_t background,
                                               imaging::Repeat repeat, forms::PixelBuffer& buffer);
std::shared_ptr<const TileFacts> MakeTileFacts(const std::wstring& path, int side, std::uint32_t background,
                                               imaging::Repeat repeat = {});

// A file's size and last write, as the folder listing gives them: a change makes its thumbnail anew.
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t written = 0;  // FILETIME as one number
    bool operator==(const FileStamp&) const = default;
};
// The stamp of a file on disk; all zero when it cannot be read.
FileStamp StampOf(const std::wstring& path);

struct OverviewItem {
    std::wstring name;
    FileStamp stamp;
    std::shared_ptr<const TileFacts> facts;  // nothing while not made yet
};

enum class SortKey { Name = 0, Seam = 1, Size = 2 };

// The items' indexes in the order shown: by name as listed; by seam, smallest first; by size in pixels,
// smallest first. Items whose value is not known (not made yet, not readable) come last, in listed order.
std::vector<int> SortOrder(const std::vector<OverviewItem>& items, SortKey key);

// "Naht 1,04"; "nicht lesbar" for a file that could not be read; empty while not known.
std::wstring SeamLabel(const TileFacts* facts);

// The thumbnails of the run, one per path: found only while the file's stamp and the side are the same.
// Past its budget it forgets those found or made longest ago, so a folder of many thousand pictures
// does not keep them all.
class ThumbnailCache {
public:
    static constexpr std::size_t kDefaultBudget = std::size_t(256) << 20;
    explicit ThumbnailCache(std::size_t budgetBytes = kDefaultBudget) : budget_(budgetBytes) {}

    std::shared_ptr<const TileFacts> Find(const std::wstring& path, const FileStamp& stamp, int side);
    void Put(const std::wstring& path, const FileStamp& stamp, std::shared_ptr<const TileFacts> facts);
    std::size_t Count() const { return entries_.size(); }
    std::size_t Bytes() const { return bytes_; }

private:
    struct Entry {
        FileStamp stamp;
        std::shared_ptr<const TileFacts> facts;
        std::size_t bytes = 0;
        std::uint64_t used = 0;  // when it was last found or made
    };
    // Forgets the entries used longest ago until a quarter of the budget is free.
    void Shrink();

    std::map<std::wstring, Entry> entries_;  // by the path in upper case
    std::size_t budget_;
    std::size_t bytes_ = 0;
    std::uint64_t clock_ = 0;
};

}  // namespace ui
