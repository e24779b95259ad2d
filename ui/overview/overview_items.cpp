#include "ui/overview/overview_items.h"

#include <windows.h>

#include <algorithm>
#include <optional>

#include "forms/paths.h"
#include "forms/picture.h"
#include "imaging/seam.h"
#include "imaging/thumbnail.h"

namespace ui {

std::shared_ptr<const TileFacts> MakeTileFacts(const std::wstring& path, int side, std::uint32_t background,
                                               imaging::Repeat repeat, forms::PixelBuffer& buffer)
{
    auto facts = std::make_shared<TileFacts>();
    if (FAILED(forms::DecodePixels(path, buffer)) || buffer.width <= 0 || buffer.height <= 0)
        return facts;
    const imaging::ConstPixels pixels{buffer.width, buffer.height, std::ptrdiff_t{buffer.width} * 4,
                                      buffer.pixels.data(), !buffer.hasAlpha};
    facts->readable = true;
    facts->width = pixels.width;
    facts->height = pixels.height;
    facts->seam = imaging::MeasureSeam(pixels, background, repeat).ratio;
    facts->thumbnail =
        imaging::RepeatThumbnail(pixels, side, background, imaging::LayoutOf(repeat, pixels.width, pixels.height));
    return facts;
}

std::shared_ptr<const TileFacts> MakeTileFacts(const std::wstring& path, int side, std::uint32_t background,
                                               imaging::Repeat repeat)
{
    forms::PixelBuffer buffer;
    return MakeTileFacts(path, side, background, repeat, buffer);
}

FileStamp StampOf(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return {};
    return {(std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
            (std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime};
}

std::vector<int> SortOrder(const std::vector<OverviewItem>& items, SortKey key)
{
    std::vector<int> order(items.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = static_cast<int>(i);
    if (key == SortKey::Name)
        return order;
    const auto value = [&items, key](int index) -> std::optional<double> {
        const TileFacts* facts = items[static_cast<std::size_t>(index)].facts.get();
        if (!facts || !facts->readable)
            return std::nullopt;
        if (key == SortKey::Seam)
            return facts->seam;
        return static_cast<double>(facts->width) * facts->height;
    };
    std::vector<std::optional<double>> values(items.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = value(static_cast<int>(i));
    // Stable: equal values keep the listed order.
    std::stable_sort(order.begin(), order.end(), [&values](int a, int b) {
        const std::optional<double>& left = values[static_cast<std::size_t>(a)];
        const std::optional<double>& right = values[static_cast<std::size_t>(b)];
        if (!left || !right)
            return left.has_value() && !right.has_value();
        return *left < *right;
    });
    return order;
}

std::wstring SeamLabel(const TileFacts* facts)
{
    if (!facts)
        return L"";
    if (!facts->readable)
        return L"nicht lesbar";
    // The number as the main window's seam line writes it.
    imaging::SeamMeasure measure;
    measure.ratio = facts->seam;
    const std::wstring line = imaging::SeamLine(1, 1, measure);
    const std::size_t start = line.find(L"Naht ");
    const std::size_t end = line.find(L" (", start);
    return start == std::wstring::npos ? L"" : line.substr(start, end - start);
}

std::shared_ptr<const TileFacts> ThumbnailCache::Find(const std::wstring& path, const FileStamp& stamp, int side)
{
    const auto found = entries_.find(forms::UpperCase(path));
    if (found == entries_.end() || !(found->second.stamp == stamp) || !found->second.facts)
        return nullptr;
    const TileFacts& facts = *found->second.facts;
    if (facts.readable && facts.thumbnail.width != side)
        return nullptr;
    found->second.used = ++clock_;
    return found->second.facts;
}

void ThumbnailCache::Put(const std::wstring& path, const FileStamp& stamp, std::shared_ptr<const TileFacts> facts)
{
    const std::size_t bytes = sizeof(TileFacts) + (facts ? facts->thumbnail.pixels.size() * 4 : 0);
    Entry& entry = entries_[forms::UpperCase(path)];
    bytes_ = bytes_ - entry.bytes + bytes;
    entry = Entry{stamp, std::move(facts), bytes, ++clock_};
    if (bytes_ > budget_)
        Shrink();
}

void ThumbnailCache::Shrink()
{
    // Many at once, so that a long run of new thumbnails does not sort the cache for each one.
    std::vector<std::pair<std::uint64_t, std::map<std::wstring, Entry>::iterator>> byUse;
    byUse.reserve(entries_.size());
    for (auto i = entries_.begin(); i != entries_.end(); ++i)
        byUse.emplace_back(i->second.used, i);
    std::sort(byUse.begin(), byUse.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    const std::size_t target = budget_ - budget_ / 4;
    for (const auto& [used, entry] : byUse) {
        if (bytes_ <= target)
            break;
        bytes_ -= entry->second.bytes;
        entries_.erase(entry);
    }
}

}  // namespace ui
