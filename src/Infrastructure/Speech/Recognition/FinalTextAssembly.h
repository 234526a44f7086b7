#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace vocena {

// The final text of one dictation, put together from its segments in order: each segment's
// final-pass text, or its streaming text wherever the final pass failed, came back empty where
// the streaming model heard words, or had not come when the wait ended. Where the streaming
// model rewrote words of a segment already cut, its segments no longer split its text, and a
// segment that falls back takes the whole streaming text instead (words are never lost, at
// the price of the final pass's corrections).
class FinalTextAssembly {
public:
    void addSegment(int index, QString streamingText);
    void setResult(int index, std::optional<QString> text, QString failure);
    // The streaming model's final text, after its last segment was added.
    void finishStreaming(QString streamingText, bool consistent);

    bool streamingFinished() const { return m_streamingFinished; }
    bool isComplete() const { return m_streamingFinished && pending() == 0; }
    int segments() const { return int(m_segments.size()); }
    int pending() const;

    // The text as it stands now, the segments still pending taking their streaming text (the
    // log says why for each segment that does). Call once the streaming model has finished.
    QString text();
    // Whether every segment of the last text() came from the final pass.
    bool allFromFinalPass() const { return m_allFromFinalPass; }

    // Joins two pieces of text: with a space between Latin letters or digits, else directly.
    static QString join(const QString& left, const QString& right);

private:
    struct Segment {
        QString streaming;
        bool done = false;
        std::optional<QString> text;
        QString failure;
    };
    Segment& at(int index);

    std::vector<Segment> m_segments;
    QString m_streamingText;
    bool m_streamingFinished = false;
    bool m_consistent = true;
    bool m_allFromFinalPass = false;
};

}  // namespace vocena
