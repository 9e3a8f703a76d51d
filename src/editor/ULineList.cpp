#include "ULineList.h"

#include <algorithm>
#include <iterator>

TZeilenInformation* TLineList::Info(int i) {
    if (!Valid(i)) return nullptr;
    auto& info = Lines[static_cast<size_t>(i)].Info;
    return info ? &*info : nullptr;
}

const TZeilenInformation* TLineList::Info(int i) const {
    if (!Valid(i)) return nullptr;
    const auto& info = Lines[static_cast<size_t>(i)].Info;
    return info ? &*info : nullptr;
}

TZeilenInformation& TLineList::EnsureInfo(int i) {
    auto& info = Lines[static_cast<size_t>(i)].Info;
    if (!info) info.emplace();
    return *info;
}

void TLineList::Insert(int at, std::string text) {
    at = std::clamp(at, 0, Count());
    Lines.insert(Lines.begin() + at, TLine{std::move(text), std::nullopt});
}

void TLineList::InsertRange(int at, std::vector<std::string> texts) {
    at = std::clamp(at, 0, Count());
    std::vector<TLine> fresh;
    fresh.reserve(texts.size());
    for (auto& t : texts) fresh.push_back(TLine{std::move(t), std::nullopt});
    Lines.insert(Lines.begin() + at, std::make_move_iterator(fresh.begin()),
                 std::make_move_iterator(fresh.end()));
}

void TLineList::Remove(int at) {
    if (Valid(at)) Lines.erase(Lines.begin() + at);
}

void TLineList::RemoveRange(int at, int count) {
    if (at < 0 || at >= Count() || count <= 0) return;
    const int last = static_cast<int>(std::min<long long>(Count(), static_cast<long long>(at) + count));
    Lines.erase(Lines.begin() + at, Lines.begin() + last);
}

std::vector<std::string> TLineList::Texts(int first, int count) const {
    std::vector<std::string> out;
    if (first < 0) return out;
    for (int i = first; i < Count() && i - first < count; ++i) out.push_back(Text(i));
    return out;
}

int TLineList::LongestLength() const {
    size_t longest = 0;
    for (const auto& line : Lines) longest = std::max(longest, line.Text.size());
    return static_cast<int>(longest);
}
