#pragma once

#include <QString>

namespace vocena::LLMPrompts {

enum class Tone { formal, casual };

// The input-method correction instructions; ends with two newlines.
QString correction();
// The table of easily confused sounds appended after the vocabulary; no trailing newline.
QString homophoneTable();
// The voice assistant's system prompt.
QString assistant();
// The system prompts of the tone and concise rewrite commands.
QString tone(Tone tone);
QString concise();
// The two messages of the connection test.
QString connectionTestSystem();
QString connectionTestUser();

}  // namespace vocena::LLMPrompts
