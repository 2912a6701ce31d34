// TCsvSubstitution: the closest Windows-1252 form of a character the
// catalogue's character set cannot hold, for "import --substitute".
// - Latin letters lose the marks Windows-1252 has no letter for (ő -> o,
//   ą -> a, ǆ -> dž) through Unicode's compatibility decomposition; the few
//   letters with a stroke that decompose to nothing (ł, đ, ħ, ı, ŧ) come from
//   a small table.
// - Cyrillic letters follow BGN/PCGN for Russian (with the Ukrainian,
//   Belarusian, Serbian and Macedonian letters added letter by letter):
//   ж -> zh, щ -> shch, ъ -> ”, ь -> ’, and е, ё -> ye, yë at the start of a
//   word and after а е ё и о у ы э ю я й ъ ь, e, ë elsewhere. The middle dot
//   BGN/PCGN puts between letters that would read as one (т·с) is not
//   written.
// - Greek letters follow ELOT 743 (ISO 843, transcription): θ -> th,
//   χ -> ch, ψ -> ps, η -> i, υ -> y; ου -> ou; αυ, ευ, ηυ -> av, ev, iv
//   before a vowel or a voiced consonant (β γ δ ζ λ μ ν ρ) and af, ef, if
//   before a voiceless one and at the end of a word; μπ -> b at the start of
//   a word and mb inside; ντ -> d and nt likewise; γγ -> ng, γκ -> gk,
//   γξ -> nx, γχ -> nch. A diaeresis (ϋ) keeps two letters apart; other
//   accents are dropped.
// - A capital gives a capital first letter (Ж -> Zh, Ου -> Ou); in a word of
//   capitals only the whole text is capitals (ЩУКА -> SHCHUKA).
// - A few signs have a plain form (− -> -, ‐ -> -, ⁄ -> /).
// Anything else becomes "?".
#pragma once

#include <QString>

class TCsvSubstitution {
public:
    // What stands for code point c, which Windows-1252 cannot hold: text that
    // it can hold, never empty.
    static QString For(char32_t c);

    // text with every character Windows-1252 cannot hold in its closest
    // form, the letters around it taken into account as above.
    static QString Text(const QString& text);
};
