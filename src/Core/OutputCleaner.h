#pragma once

#include <QString>

namespace vocena {

// Turns a model reply (or a command's result) into plain text to type: drops chatty
// preambles and closing summaries, spoken fillers, runs of dots and dashes, list and heading
// markup, and lays sequence words out on lines of their own. Pure; the patterns are compiled
// once and shared by all threads.
QString removeMarkdownFormatting(const QString& text);

}  // namespace vocena
