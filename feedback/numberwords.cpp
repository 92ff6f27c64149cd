#include "feedback/numberwords.h"

#include <QHash>
#include <QStringView>

#include <optional>

namespace {

// What a number word does in the number it belongs to.
enum class Kind {
    Unit,     // 0 to 9
    Tens,     // a whole ten (20 to 90), which a unit may follow
    Complete, // two digits that take no unit after them (10 to 19, "veintiuno")
    Hundred,  // multiplies the unit before it by 100 ("five hundred")
    Hundreds, // a whole number of hundreds on its own ("doscientos", "сто")
    Scale,    // thousand, million: closes the group before it
    Joiner,   // "and", "y", "e", "et" between two parts of one number
};

struct Word {
    Kind kind;
    qint64 value = 0;
};

using Table = QHash<QString, Word>;

struct Language {
    const Table *table = nullptr;
    bool french = false;    // "quatre-vingts", "dix-sept", "soixante-dix"
    bool bareScale = false; // "mil" alone is a thousand
};

void add(Table &table, std::initializer_list<const char *> words, Kind kind, qint64 first,
         qint64 step = 1)
{
    qint64 value = first;
    for (const char *w : words) {
        table.insert(QString::fromUtf8(w), {kind, value});
        value += step;
    }
}

Table english()
{
    Table t;
    add(t, {"zero", "one", "two", "three", "four", "five", "six", "seven", "eight", "nine"},
        Kind::Unit, 0);
    add(t,
        {"ten", "eleven", "twelve", "thirteen", "fourteen", "fifteen", "sixteen", "seventeen",
         "eighteen", "nineteen"},
        Kind::Complete, 10);
    add(t, {"twenty", "thirty", "forty", "fifty", "sixty", "seventy", "eighty", "ninety"},
        Kind::Tens, 20, 10);
    t.insert(QStringLiteral("hundred"), {Kind::Hundred, 100});
    t.insert(QStringLiteral("thousand"), {Kind::Scale, 1000});
    t.insert(QStringLiteral("million"), {Kind::Scale, 1000000});
    t.insert(QStringLiteral("billion"), {Kind::Scale, 1000000000});
    t.insert(QStringLiteral("and"), {Kind::Joiner});
    return t;
}

Table french()
{
    Table t;
    add(t, {"zéro", "un", "deux", "trois", "quatre", "cinq", "six", "sept", "huit", "neuf"},
        Kind::Unit, 0);
    t.insert(QStringLiteral("une"), {Kind::Unit, 1});
    add(t, {"dix", "onze", "douze", "treize", "quatorze", "quinze", "seize"}, Kind::Complete, 10);
    add(t, {"vingt", "trente", "quarante", "cinquante", "soixante"}, Kind::Tens, 20, 10);
    t.insert(QStringLiteral("vingts"), {Kind::Tens, 20});
    t.insert(QStringLiteral("cent"), {Kind::Hundred, 100});
    t.insert(QStringLiteral("cents"), {Kind::Hundred, 100});
    t.insert(QStringLiteral("mille"), {Kind::Scale, 1000});
    t.insert(QStringLiteral("million"), {Kind::Scale, 1000000});
    t.insert(QStringLiteral("millions"), {Kind::Scale, 1000000});
    t.insert(QStringLiteral("et"), {Kind::Joiner});
    return t;
}

Table spanish()
{
    Table t;
    add(t, {"cero", "uno", "dos", "tres", "cuatro", "cinco", "seis", "siete", "ocho", "nueve"},
        Kind::Unit, 0);
    t.insert(QStringLiteral("un"), {Kind::Unit, 1});
    t.insert(QStringLiteral("una"), {Kind::Unit, 1});
    add(t, {"diez",        "once",       "doce",        "trece",      "catorce",
            "quince",      "dieciséis",  "diecisiete",  "dieciocho",  "diecinueve",
            "veinte",      "veintiuno",  "veintidós",   "veintitrés", "veinticuatro",
            "veinticinco", "veintiséis", "veintisiete", "veintiocho", "veintinueve"},
        Kind::Complete, 10);
    add(t, {"treinta", "cuarenta", "cincuenta", "sesenta", "setenta", "ochenta", "noventa"},
        Kind::Tens, 30, 10);
    t.insert(QStringLiteral("cien"), {Kind::Hundreds, 100});
    t.insert(QStringLiteral("ciento"), {Kind::Hundreds, 100});
    add(t,
        {"doscientos", "trescientos", "cuatrocientos", "quinientos", "seiscientos", "setecientos",
         "ochocientos", "novecientos"},
        Kind::Hundreds, 200, 100);
    t.insert(QStringLiteral("mil"), {Kind::Scale, 1000});
    t.insert(QStringLiteral("millón"), {Kind::Scale, 1000000});
    t.insert(QStringLiteral("millones"), {Kind::Scale, 1000000});
    t.insert(QStringLiteral("y"), {Kind::Joiner});
    return t;
}

Table portuguese()
{
    Table t;
    add(t, {"zero", "um", "dois", "três", "quatro", "cinco", "seis", "sete", "oito", "nove"},
        Kind::Unit, 0);
    t.insert(QStringLiteral("uma"), {Kind::Unit, 1});
    t.insert(QStringLiteral("duas"), {Kind::Unit, 2});
    add(t,
        {"dez", "onze", "doze", "treze", "catorze", "quinze", "dezesseis", "dezessete", "dezoito",
         "dezenove"},
        Kind::Complete, 10);
    t.insert(QStringLiteral("quatorze"), {Kind::Complete, 14});
    t.insert(QStringLiteral("dezasseis"), {Kind::Complete, 16});
    t.insert(QStringLiteral("dezassete"), {Kind::Complete, 17});
    t.insert(QStringLiteral("dezanove"), {Kind::Complete, 19});
    add(t,
        {"vinte", "trinta", "quarenta", "cinquenta", "sessenta", "setenta", "oitenta", "noventa"},
        Kind::Tens, 20, 10);
    t.insert(QStringLiteral("cem"), {Kind::Hundreds, 100});
    t.insert(QStringLiteral("cento"), {Kind::Hundreds, 100});
    add(t,
        {"duzentos", "trezentos", "quatrocentos", "quinhentos", "seiscentos", "setecentos",
         "oitocentos", "novecentos"},
        Kind::Hundreds, 200, 100);
    t.insert(QStringLiteral("duzentas"), {Kind::Hundreds, 200});
    t.insert(QStringLiteral("mil"), {Kind::Scale, 1000});
    t.insert(QStringLiteral("milhão"), {Kind::Scale, 1000000});
    t.insert(QStringLiteral("milhões"), {Kind::Scale, 1000000});
    t.insert(QStringLiteral("e"), {Kind::Joiner});
    return t;
}

Table russian()
{
    Table t;
    add(t, {"ноль", "один", "два", "три", "четыре", "пять", "шесть", "семь", "восемь", "девять"},
        Kind::Unit, 0);
    t.insert(QStringLiteral("одна"), {Kind::Unit, 1});
    t.insert(QStringLiteral("одно"), {Kind::Unit, 1});
    t.insert(QStringLiteral("две"), {Kind::Unit, 2});
    add(t,
        {"десять", "одиннадцать", "двенадцать", "тринадцать", "четырнадцать", "пятнадцать",
         "шестнадцать", "семнадцать", "восемнадцать", "девятнадцать"},
        Kind::Complete, 10);
    add(t,
        {"двадцать", "тридцать", "сорок", "пятьдесят", "шестьдесят", "семьдесят", "восемьдесят",
         "девяносто"},
        Kind::Tens, 20, 10);
    add(t,
        {"сто", "двести", "триста", "четыреста", "пятьсот", "шестьсот", "семьсот", "восемьсот",
         "девятьсот"},
        Kind::Hundreds, 100, 100);
    for (const char *w : {"тысяча", "тысячи", "тысяч"})
        t.insert(QString::fromUtf8(w), {Kind::Scale, 1000});
    for (const char *w : {"миллион", "миллиона", "миллионов"})
        t.insert(QString::fromUtf8(w), {Kind::Scale, 1000000});
    return t;
}

// Words that are one number in German and Italian: a unit, "und" and a ten
// ("einundzwanzig"), or a ten and a unit ("ventuno", "trentadue").
struct Compounds {
    QHash<QString, qint64> units;
    QList<std::pair<QString, qint64>> tens;
    QString joint; // between the unit and the ten, German only
};

Compounds german()
{
    Compounds c;
    const char *units[] = {"null",     "eins",     "zwei",     "drei",     "vier",
                           "fünf",     "sechs",    "sieben",   "acht",     "neun",
                           "zehn",     "elf",      "zwölf",    "dreizehn", "vierzehn",
                           "fünfzehn", "sechzehn", "siebzehn", "achtzehn", "neunzehn"};
    for (int i = 0; i < 20; ++i)
        c.units.insert(QString::fromUtf8(units[i]), i);
    c.units.insert(QStringLiteral("ein"), 1);
    c.units.insert(QStringLiteral("eine"), 1);
    qint64 ten = 20;
    c.tens.append({QStringLiteral("dreissig"), 30});
    for (const char *w :
         {"zwanzig", "dreißig", "vierzig", "fünfzig", "sechzig", "siebzig", "achtzig", "neunzig"}) {
        c.tens.append({QString::fromUtf8(w), ten});
        ten += 10;
    }
    c.joint = QStringLiteral("und");
    return c;
}

Compounds italian()
{
    Compounds c;
    const char *units[] = {"zero",     "uno",    "due",         "tre",      "quattro",
                           "cinque",   "sei",    "sette",       "otto",     "nove",
                           "dieci",    "undici", "dodici",      "tredici",  "quattordici",
                           "quindici", "sedici", "diciassette", "diciotto", "diciannove"};
    for (int i = 0; i < 20; ++i)
        c.units.insert(QString::fromUtf8(units[i]), i);
    c.units.insert(QStringLiteral("un"), 1);
    c.units.insert(QStringLiteral("una"), 1);
    c.units.insert(QStringLiteral("tré"), 3); // written so at the end of a compound
    qint64 ten = 20;
    for (const char *w : {"venti", "trenta", "quaranta", "cinquanta", "sessanta", "settanta",
                          "ottanta", "novanta"}) {
        c.tens.append({QString::fromUtf8(w), ten});
        ten += 10;
    }
    return c;
}

std::optional<qint64> compoundValue(const Compounds &c, const QString &word)
{
    if (const auto unit = c.units.constFind(word); unit != c.units.constEnd())
        return *unit;
    for (const auto &[tenWord, ten] : c.tens) {
        if (word == tenWord)
            return ten;
        if (c.joint.isEmpty()) {
            // The ten's last vowel goes before "uno" and "otto": "ventuno".
            for (const QString &stem : {tenWord, tenWord.chopped(1)}) {
                if (!word.startsWith(stem))
                    continue;
                const auto unit = c.units.constFind(word.sliced(stem.size()));
                if (unit != c.units.constEnd() && *unit >= 1 && *unit <= 9)
                    return ten + *unit;
            }
        } else if (word.endsWith(c.joint + tenWord)) {
            const QString unitWord = word.chopped(c.joint.size() + tenWord.size());
            // "ein" joins, not "eins".
            const auto unit = c.units.constFind(unitWord);
            if (unit != c.units.constEnd() && *unit >= 1 && *unit <= 9
                && unitWord != QLatin1String("eins"))
                return ten + *unit;
        }
    }
    return std::nullopt;
}

QString baseLanguage(const QString &language)
{
    return language.section(QLatin1Char('-'), 0, 0).section(QLatin1Char('_'), 0, 0).toLower();
}

Language languageFor(const QString &base)
{
    static const Table en = english();
    static const Table fr = french();
    static const Table es = spanish();
    static const Table pt = portuguese();
    static const Table ru = russian();
    if (base == QLatin1String("en"))
        return {&en, false, false};
    if (base == QLatin1String("fr"))
        return {&fr, true, true};
    if (base == QLatin1String("es"))
        return {&es, false, true};
    if (base == QLatin1String("pt"))
        return {&pt, false, true};
    if (base == QLatin1String("ru"))
        return {&ru, false, true};
    return {};
}

const Compounds *compoundsFor(const QString &base)
{
    static const Compounds de = german();
    static const Compounds it = italian();
    if (base == QLatin1String("de"))
        return &de;
    if (base == QLatin1String("it"))
        return &it;
    return nullptr;
}

// Only blanks and hyphens between two words of one number.
bool joinable(const QString &text, qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i < to; ++i) {
        const QChar c = text.at(i);
        if (!c.isSpace() && c != u'-' && c != u'\u2010' && c != u'\u2011')
            return false;
    }
    return true;
}

// The number that the run of words from `from` on makes, and how many words
// it takes: the longest run that reads as one number.
struct Run {
    int words = 0;
    qint64 value = 0;
};

Run readRun(const QString &text, const QList<WordToken> &tokens, qsizetype from,
            const Language &language)
{
    const Table &table = *language.table;
    const bool french = language.french;
    qint64 total = 0;
    qint64 lastScale = 0;
    // The group below the next scale: its hundreds, tens and units.
    qint64 hundreds = -1;
    qint64 tens = -1;
    qint64 units = -1;
    bool joined = false; // a joiner waits for its next part
    Run best;
    const auto group = [&] {
        return std::max<qint64>(hundreds, 0) * 100 + std::max<qint64>(tens, 0)
               + std::max<qint64>(units, 0);
    };
    const auto empty = [&] { return hundreds < 0 && tens < 0 && units < 0; };
    for (qsizetype i = from; i < tokens.size(); ++i) {
        if (i > from && !joinable(text, tokens.at(i - 1).end, tokens.at(i).start))
            break;
        const auto found = table.constFind(tokens.at(i).text);
        if (found == table.constEnd())
            break;
        const Word word = *found;
        bool ok = false;
        switch (word.kind) {
        case Kind::Unit:
            // Zero is a number only on its own.
            if (word.value == 0) {
                ok = i == from;
                if (ok)
                    units = 0;
                break;
            }
            // "dix-sept", "soixante-dix-neuf".
            if (french && units == 0 && tens % 20 == 10 && word.value >= 7) {
                units = word.value;
                ok = true;
                break;
            }
            ok = units < 0 && (tens < 0 || tens >= 20);
            if (ok)
                units = word.value;
            break;
        case Kind::Tens:
            // "quatre-vingts": four twenties.
            if (french && word.value == 20 && units == 4 && tens < 0 && !joined) {
                units = -1;
                tens = 80;
                ok = true;
                break;
            }
            ok = tens < 0 && units < 0;
            if (ok)
                tens = word.value;
            break;
        case Kind::Complete:
            // "soixante-dix", "quatre-vingt-onze".
            if (french && (tens == 60 || tens == 80) && units < 0 && word.value < 20) {
                tens += word.value;
                units = 0;
                ok = true;
                break;
            }
            ok = tens < 0 && units < 0;
            if (ok) {
                tens = word.value;
                units = 0;
            }
            break;
        case Kind::Hundred:
            ok = hundreds < 0 && tens < 0 && units >= 1 && !joined;
            if (!ok && french && empty()) {
                ok = true; // "cent" alone is a hundred
                hundreds = 1;
                break;
            }
            if (ok) {
                hundreds = units;
                units = -1;
            }
            break;
        case Kind::Hundreds:
            ok = empty();
            if (ok)
                hundreds = word.value / 100;
            break;
        case Kind::Scale:
            ok = !joined && (lastScale == 0 || word.value < lastScale)
                 && (!empty() || language.bareScale);
            if (ok) {
                // "mil", "тысяча": a thousand without a one before it.
                total += (empty() ? 1 : group()) * word.value;
                lastScale = word.value;
                hundreds = tens = units = -1;
            }
            break;
        case Kind::Joiner:
            ok = !joined && i > from && (!empty() || lastScale > 0);
            if (ok) {
                joined = true;
                continue; // a joiner alone ends nothing
            }
            break;
        }
        if (!ok)
            break;
        joined = false;
        best.words = int(i - from + 1);
        best.value = total + group();
    }
    return best;
}

} // namespace

bool readsNumberWords(const QString &language)
{
    const QString base = baseLanguage(language);
    return languageFor(base).table || compoundsFor(base);
}

QList<WordToken> withNumbersAsDigits(const QString &text, const QList<WordToken> &tokens,
                                     const QString &language)
{
    const QString base = baseLanguage(language);
    const Language table = languageFor(base);
    const Compounds *compounds = compoundsFor(base);
    if (!table.table && !compounds)
        return tokens;
    QList<WordToken> out;
    out.reserve(tokens.size());
    for (qsizetype i = 0; i < tokens.size();) {
        Run run;
        if (table.table) {
            run = readRun(text, tokens, i, table);
        } else if (const std::optional<qint64> value =
                       compoundValue(*compounds, tokens.at(i).text)) {
            run.words = 1;
            run.value = *value;
        }
        if (run.words == 0) {
            out.append(tokens.at(i));
            ++i;
            continue;
        }
        WordToken number = tokens.at(i);
        const WordToken &last = tokens.at(i + run.words - 1);
        // The apostrophe or hyphen shown before the first word and after the last.
        const QString lead = number.shown.left(number.shown.indexOf(number.original));
        const QString trail =
            last.shown.mid(last.shown.indexOf(last.original) + last.original.size());
        number.end = last.end;
        number.original = text.mid(number.start, number.end - number.start);
        number.shown = lead + number.original + trail;
        number.text = QString::number(run.value);
        out.append(number);
        i += run.words;
    }
    return out;
}
