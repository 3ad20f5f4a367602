#pragma once
// The texts of this run's last dictations, newest first, for the tray menu.
// In memory only: it is never written anywhere. GUI thread.

#include <cstddef>
#include <deque>
#include <string>

inline constexpr std::size_t kHistorySize = 20;
inline constexpr std::size_t kHistoryLabelLength = 40;

class TextHistory {
public:
    // Empty texts are not kept; the oldest goes when a 21st comes.
    void add(std::wstring text);
    void clear() { texts.clear(); }
    const std::deque<std::wstring>& newestFirst() const { return texts; }

private:
    std::deque<std::wstring> texts;
};

// A text as its menu item shows it: the first 40 characters on one line
// (line breaks and tabs as spaces), "…" when there was more, and "&" doubled
// so the menu shows it rather than underlining the next letter.
std::wstring historyMenuLabel(const std::wstring& text);
