// TCsvSubstitution: the closest Windows-1252 form of a character the
// catalogue's character set cannot hold, for "import --substitute".
// - Latin letters lose the marks Windows-1252 has no letter for (ő -> o,
//   ą -> a, ǆ -> dž) through Unicode's compatibility decomposition; the few
//   letters with a stroke that decompose to nothing (ł, đ, ħ, ı, ŧ) come from
//   a small table.
// - Cyrillic letters follow BGN/PCGN (Russian, with the Ukrainian, Belarusian,
//   Serbian and Macedonian letters added): ж -> zh, щ -> shch, ё -> ë.
// - Greek letters follow ELOT 743 (ISO 843): θ -> th, χ -> ch, ψ -> ps; the
//   accented ones lose their accent first.
// - A few signs have a plain form (− -> -, ‐ -> -, ⁄ -> /).
// Anything else becomes "?".
#pragma once

#include <QString>

class TCsvSubstitution {
public:
    // What stands for code point c, which Windows-1252 cannot hold: text that
    // it can hold, never empty.
    static QString For(char32_t c);
};
