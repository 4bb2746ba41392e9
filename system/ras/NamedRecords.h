// Records kept in their file's order and found by entry name, the way the
// remote-access service compares names: ASCII letters without regard to
// case, double-byte characters byte for byte. Each record keeps its text in
// the file once made, so that saving a large file after one change formats
// only the record that changed.
#pragma once

#include "Cp932.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace standin::ras {

template <typename Record>
class NamedRecords {
public:
    struct Item {
        std::string name;
        Record record;
        // The record's part of its file; empty until made, and every change
        // replaces the item, which empties it.
        mutable std::string text;
    };

    const std::vector<Item>& items() const { return items_; }
    bool empty() const { return items_.empty(); }
    void reserve(size_t count) {
        items_.reserve(count);
        index_.reserve(count);
    }

    const Item* find(std::string_view name) const {
        auto it = index_.find(cp932::foldNoCaseMultiByte(name));
        return it == index_.end() ? nullptr : &items_[it->second];
    }

    // A record whose name matches replaces the old one in its place, under
    // the name given now; otherwise it goes at the end.
    void put(std::string_view name, const Record& record) {
        auto [it, added] = index_.try_emplace(cp932::foldNoCaseMultiByte(name), items_.size());
        if (added) {
            items_.push_back(Item{std::string(name), record, {}});
        } else {
            items_[it->second] = Item{std::string(name), record, {}};
        }
    }

    // Appends the text of every record in order; `format` (Item -> string)
    // is called only for records whose text is not kept yet.
    template <typename Format>
    void appendTexts(std::string& out, const Format& format) const {
        size_t size = out.size();
        for (const Item& item : items_) {
            if (item.text.empty()) item.text = format(item);
            size += item.text.size();
        }
        // A file of megabytes is copied once, not again at every growth.
        out.reserve(size);
        for (const Item& item : items_) out += item.text;
    }

    bool remove(std::string_view name) {
        auto it = index_.find(cp932::foldNoCaseMultiByte(name));
        if (it == index_.end()) return false;
        size_t position = it->second;
        index_.erase(it);
        items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(position));
        for (auto& [key, at] : index_) {
            if (at > position) --at;
        }
        return true;
    }

private:
    std::vector<Item> items_;
    // Positions in items_ by folded name: a lookup in a large phonebook costs
    // one fold and one hash, not a comparison per level of a tree.
    std::unordered_map<std::string, size_t> index_;
};

}  // namespace standin::ras
