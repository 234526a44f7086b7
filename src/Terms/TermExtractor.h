#pragma once

#include <QList>
#include <QString>

namespace vocena {

enum class CharRunType { chinese, english, mixed, other };

// A maximal run of user-perceived characters of one type: CJK ideographs (chinese), letters
// (english), decimal digits (mixed) or anything else (other).
struct CharRun {
    QString text;
    CharRunType type;
    bool operator==(const CharRun&) const = default;
};

// A candidate term and its length in user-perceived characters.
struct TermCandidate {
    QString text;
    int length = 0;
    bool operator==(const TermCandidate&) const = default;
};

// Cuts dictated text into candidate terms. Thread-safe.
namespace TermExtractor {

inline constexpr int kMaxCharacters = 500;  // only this prefix of a text is examined
inline constexpr int kMinLength = 2;
inline constexpr int kMaxChineseLength = 6;

// The text split at every change of character type; characters are classified by their
// first scalar.
QList<CharRun> segmentByCharType(const QString& text);

// The distinct candidates of the first 500 characters: every 2- to 6-character substring of
// a Chinese run, and every letter or digit run of at least 2 characters (whole). Letters and
// digits are never joined: "GPT4" gives "GPT" only.
QList<TermCandidate> extractNGrams(const QString& text);

// Whether the scalar is a CJK ideograph of the basic block U+4E00–U+9FFF (the narrower range
// used for classification and homophone variants).
inline bool isBasicCjkIdeograph(char32_t c) { return c >= 0x4E00 && c <= 0x9FFF; }
// The wider ranges used for segmentation: also extension A and the compatibility block.
inline bool isSegmentationCjkIdeograph(char32_t c) {
    return isBasicCjkIdeograph(c) || (c >= 0x3400 && c <= 0x4DBF) || (c >= 0xF900 && c <= 0xFAFF);
}

}  // namespace TermExtractor
}  // namespace vocena
