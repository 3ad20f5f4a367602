#include "text/loan_words.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

// Words common in everyday writing whose other spelling no rule gives.
// Variant Latin spellings (false) are read but never written.
constexpr LoanWord kLoanWords[] = {
    // Months: ь, and я read as a in sentabr/oktabr.
    {U"yanvar", U"январь", true}, {U"fevral", U"февраль", true}, {U"aprel", U"апрель", true},
    {U"iyun", U"июнь", true}, {U"iyul", U"июль", true}, {U"sentabr", U"сентябрь", true},
    {U"sentyabr", U"сентябрь", false}, {U"oktabr", U"октябрь", true}, {U"oktyabr", U"октябрь", false},
    {U"noyabr", U"ноябрь", true}, {U"dekabr", U"декабрь", true},

    // ь before a consonant or at the end.
    {U"albom", U"альбом", true}, {U"alpinist", U"альпинист", true}, {U"almanax", U"альманах", true},
    {U"alternativ", U"альтернатив", true}, {U"alternativa", U"альтернатива", true},
    {U"ansambl", U"ансамбль", true}, {U"apelsin", U"апельсин", true}, {U"asfalt", U"асфальт", true},
    {U"avtomobil", U"автомобиль", true}, {U"balzam", U"бальзам", true}, {U"belarus", U"беларусь", true},
    {U"detal", U"деталь", true}, {U"diagonal", U"диагональ", true}, {U"dirijabl", U"дирижабль", true},
    {U"dizel", U"дизель", true}, {U"duel", U"дуэль", true}, {U"dvigatel", U"двигатель", true},
    {U"emal", U"эмаль", true}, {U"fakultet", U"факультет", true}, {U"feldsher", U"фельдшер", true},
    {U"festival", U"фестиваль", true}, {U"film", U"фильм", true}, {U"folga", U"фольга", true},
    {U"folklor", U"фольклор", true}, {U"gantel", U"гантель", true}, {U"gastrol", U"гастроль", true},
    {U"gorizontal", U"горизонталь", true}, {U"impuls", U"импульс", true}, {U"kabel", U"кабель", true},
    {U"kafel", U"кафель", true}, {U"kalendar", U"календарь", true}, {U"kalkulyator", U"калькулятор", true},
    {U"kalsiy", U"кальций", true}, {U"kinofilm", U"кинофильм", true}, {U"kobalt", U"кобальт", true},
    {U"konsultant", U"консультант", true}, {U"konsultatsiya", U"консультация", true},
    {U"kontrol", U"контроль", true}, {U"konyak", U"коньяк", true}, {U"kreml", U"кремль", true},
    {U"kultivator", U"культиватор", true}, {U"kultura", U"культура", true}, {U"lager", U"лагерь", true},
    {U"magistral", U"магистраль", true}, {U"medal", U"медаль", true}, {U"mebel", U"мебель", true},
    {U"model", U"модель", true}, {U"modul", U"модуль", true}, {U"multfilm", U"мультфильм", true},
    {U"multimedia", U"мультимедиа", true}, {U"neft", U"нефть", true}, {U"nikel", U"никель", true},
    {U"palto", U"пальто", true}, {U"parol", U"пароль", true}, {U"pedal", U"педаль", true},
    {U"polsha", U"польша", true}, {U"portfel", U"портфель", true}, {U"porshen", U"поршень", true},
    {U"profil", U"профиль", true}, {U"puls", U"пульс", true}, {U"pult", U"пульт", true},
    {U"rezultat", U"результат", true}, {U"rol", U"роль", true}, {U"royal", U"рояль", true},
    {U"rubl", U"рубль", true}, {U"rul", U"руль", true}, {U"sekretar", U"секретарь", true},
    {U"shampun", U"шампунь", true}, {U"shinel", U"шинель", true}, {U"shtempel", U"штемпель", true},
    {U"sibir", U"сибирь", true}, {U"spektakl", U"спектакль", true}, {U"spiral", U"спираль", true},
    {U"stil", U"стиль", true}, {U"tekstil", U"текстиль", true}, {U"tonnel", U"тоннель", true},
    {U"tyulpan", U"тюльпан", true}, {U"vals", U"вальс", true}, {U"vertikal", U"вертикаль", true},
    {U"volt", U"вольт", true}, {U"xolodilnik", U"холодильник", true},

    // ь before a vowel, read as y in Latin.
    {U"atelye", U"ателье", true}, {U"batalyon", U"батальон", true}, {U"bilyard", U"бильярд", true},
    {U"bulyon", U"бульон", true}, {U"fotoatelye", U"фотоателье", true}, {U"interyer", U"интерьер", true},
    {U"intervyu", U"интервью", true}, {U"kompyuter", U"компьютер", true}, {U"kuryer", U"курьер", true},
    {U"medalyon", U"медальон", true}, {U"pavilyon", U"павильон", true}, {U"pochtalyon", U"почтальон", true},
    {U"premyer", U"премьер", true}, {U"premyera", U"премьера", true}, {U"pyesa", U"пьеса", true},
    {U"shampinyon", U"шампиньон", true}, {U"vyetnam", U"вьетнам", true},

    // ъ before е, ё, ю, я.
    {U"adyutant", U"адъютант", true}, {U"inyeksiya", U"инъекция", true}, {U"konyunktura", U"конъюнктура", true},
    {U"obyekt", U"объект", true}, {U"obyektiv", U"объектив", true}, {U"obyom", U"объём", true},
    {U"podyezd", U"подъезд", true}, {U"subyekt", U"субъект", true}, {U"subyektiv", U"субъектив", true},
    {U"syezd", U"съезд", true},

    // й before о, which yo would make ё.
    {U"foye", U"фойе", true}, {U"mayonez", U"майонез", true}, {U"mayor", U"майор", true},
    {U"rayon", U"район", true}, {U"yoga", U"йога", true}, {U"yogurt", U"йогурт", true}, {U"york", U"йорк", true},

    // е after a vowel, written without y.
    {U"dieta", U"диета", false}, {U"ingredient", U"ингредиент", false}, {U"klient", U"клиент", false},
    {U"koeffitsient", U"коэффициент", false}, {U"koeffitsiyent", U"коэффициент", true},
    {U"patsient", U"пациент", false}, {U"patsiyent", U"пациент", true}, {U"poezd", U"поезд", false},
    {U"proekt", U"проект", false},

    // ц, written s or ts in Latin.
    {U"abzas", U"абзац", true}, {U"abzats", U"абзац", false}, {U"aksent", U"акцент", true},
    {U"aksioner", U"акционер", true}, {U"aksiz", U"акциз", true}, {U"distansiya", U"дистанция", true},
    {U"dotsent", U"доцент", true}, {U"emotsional", U"эмоционал", true}, {U"farmatsevt", U"фармацевт", true},
    {U"farmatsevtika", U"фармацевтика", true}, {U"fransiya", U"франция", true}, {U"fransuz", U"француз", true},
    {U"funksional", U"функционал", true}, {U"inersiya", U"инерция", true}, {U"instansiya", U"инстанция", true},
    {U"kansler", U"канцлер", true}, {U"kompetensiya", U"компетенция", true},
    {U"konditsioner", U"кондиционер", true}, {U"konferensiya", U"конференция", true},
    {U"konsentratsiya", U"концентрация", true}, {U"konsepsiya", U"концепция", true},
    {U"konsern", U"концерн", true}, {U"konsert", U"концерт", true}, {U"kontsert", U"концерт", false},
    {U"korrupsiya", U"коррупция", true}, {U"kvars", U"кварц", true}, {U"kvarts", U"кварц", false},
    {U"kvitansiya", U"квитанция", true}, {U"litsenziya", U"лицензия", true}, {U"litsey", U"лицей", true},
    {U"meditsina", U"медицина", true}, {U"militsiya", U"милиция", true}, {U"mototsikl", U"мотоцикл", true},
    {U"ofitser", U"офицер", true}, {U"ofitsial", U"официал", true}, {U"ofitsiant", U"официант", true},
    {U"pitsa", U"пицца", true}, {U"potensial", U"потенциал", true}, {U"prins", U"принц", true},
    {U"prinsessa", U"принцесса", true}, {U"prinsip", U"принцип", true}, {U"prinsipial", U"принципиал", true},
    {U"protsent", U"процент", true}, {U"provinsiya", U"провинция", true}, {U"ratsional", U"рационал", true},
    {U"retsept", U"рецепт", true}, {U"rezidensiya", U"резиденция", true}, {U"selsiy", U"цельсий", true},
    {U"sement", U"цемент", true}, {U"tsement", U"цемент", false}, {U"senzura", U"цензура", true},
    {U"sentner", U"центнер", true}, {U"sentr", U"центр", true}, {U"tsentr", U"центр", false},
    {U"sentral", U"централ", true}, {U"shpris", U"шприц", true}, {U"shprits", U"шприц", false},
    {U"shveytsariya", U"швейцария", true}, {U"sikl", U"цикл", true}, {U"tsikl", U"цикл", false},
    {U"silindr", U"цилиндр", true}, {U"sirk", U"цирк", true}, {U"tsirk", U"цирк", false},
    {U"sivilizatsiya", U"цивилизация", true}, {U"sotsial", U"социал", true}, {U"sotsialist", U"социалист", true},
    {U"sotsializm", U"социализм", true}, {U"sotsiolog", U"социолог", true}, {U"sotsiologiya", U"социология", true},
    {U"spetsial", U"специал", true}, {U"spetsialist", U"специалист", true}, {U"spetsifik", U"специфик", true},
    {U"spetsifikatsiya", U"спецификация", true}, {U"ssenariy", U"сценарий", true},
    {U"stsenariy", U"сценарий", false}, {U"stansiya", U"станция", true}, {U"tendensiya", U"тенденция", true},
    {U"transkripsiya", U"транскрипция", true}, {U"vaksina", U"вакцина", true},
    {U"vaksinatsiya", U"вакцинация", true},

    // Arabic words whose ъ after ў is not written in Latin, and a dropped tutuq.
    {U"moʻjaz", U"мўъжаз", true}, {U"moʻjiza", U"мўъжиза", true}, {U"moʻmin", U"мўъмин", true},
    {U"moʻtabar", U"мўътабар", true}, {U"moʻtadil", U"мўътадил", true}, {U"shoʻba", U"шўъба", true},
    {U"ishoq", U"исҳоқ", false},
};

// Uzbek suffixes as they follow a loan word: case, number, possession,
// predication, particles and the usual word-forming ones.
constexpr std::pair<std::u32string_view, std::u32string_view> kSuffixes[] = {
    {U"lar", U"лар"}, {U"ning", U"нинг"}, {U"ni", U"ни"}, {U"ga", U"га"}, {U"ka", U"ка"}, {U"qa", U"қа"},
    {U"da", U"да"}, {U"ta", U"та"}, {U"dan", U"дан"}, {U"tan", U"тан"}, {U"gacha", U"гача"},
    {U"kacha", U"кача"}, {U"qacha", U"қача"}, {U"dagi", U"даги"}, {U"tagi", U"таги"}, {U"gi", U"ги"},
    {U"ki", U"ки"}, {U"day", U"дай"}, {U"dek", U"дек"}, {U"cha", U"ча"}, {U"chi", U"чи"}, {U"lik", U"лик"},
    {U"ligi", U"лиги"}, {U"li", U"ли"}, {U"siz", U"сиз"}, {U"im", U"им"}, {U"m", U"м"}, {U"ing", U"инг"},
    {U"ng", U"нг"}, {U"i", U"и"}, {U"si", U"си"}, {U"imiz", U"имиз"}, {U"miz", U"миз"}, {U"ingiz", U"ингиз"},
    {U"ngiz", U"нгиз"}, {U"man", U"ман"}, {U"san", U"сан"}, {U"dir", U"дир"}, {U"mi", U"ми"}, {U"ku", U"ку"},
    {U"u", U"у"}, {U"yu", U"ю"}, {U"gina", U"гина"}, {U"kina", U"кина"}, {U"qina", U"қина"}, {U"viy", U"вий"},
    {U"iy", U"ий"}, {U"dor", U"дор"}, {U"soz", U"соз"}, {U"shunos", U"шунос"}, {U"xona", U"хона"},
    {U"lash", U"лаш"}, {U"tir", U"тир"}, {U"ish", U"иш"}, {U"gan", U"ган"}, {U"di", U"ди"}, {U"ib", U"иб"},
    {U"moq", U"моқ"},
};

constexpr char32_t kSoftSign = U'ь';

// Keys to values, walked a character at a time; built once.
class Trie {
public:
    Trie() : nodes_(1) {}

    // The first value added for a key stays.
    void add(std::u32string_view key, std::uint32_t value) {
        std::uint32_t node = 0;
        for (char32_t c : key) {
            std::uint32_t child = childOf(node, c);
            if (child == 0) {
                child = static_cast<std::uint32_t>(nodes_.size());
                nodes_[node].children.emplace_back(c, child);
                nodes_.emplace_back();
            }
            node = child;
        }
        if (nodes_[node].value < 0) nodes_[node].value = static_cast<std::int32_t>(value);
    }

    // The values of the keys that begin `text`, longest first, and their lengths.
    struct Prefix {
        std::uint32_t value;
        std::size_t length;
    };
    std::size_t prefixes(std::u32string_view text, std::array<Prefix, 8>& found) const {
        std::size_t count = 0;
        std::uint32_t node = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            node = childOf(node, text[i]);
            if (node == 0) break;
            if (nodes_[node].value >= 0) {
                if (count == found.size()) std::move(found.begin() + 1, found.end(), found.begin()), --count;
                found[count++] = {static_cast<std::uint32_t>(nodes_[node].value), i + 1};
            }
        }
        std::reverse(found.begin(), found.begin() + static_cast<std::ptrdiff_t>(count));
        return count;
    }

private:
    struct Node {
        std::vector<std::pair<char32_t, std::uint32_t>> children;
        std::int32_t value = -1;
    };

    std::uint32_t childOf(std::uint32_t node, char32_t c) const {
        for (const auto& [letter, child] : nodes_[node].children)
            if (letter == c) return child;
        return 0;
    }

    std::vector<Node> nodes_;
};

struct Tables {
    Trie latin;     // to indexes of kLoanWords
    Trie cyrillic;  // to indexes of kLoanWords that turn back into Latin
    Tables() {
        for (std::uint32_t i = 0; i < std::size(kLoanWords); ++i) {
            const LoanWord& word = kLoanWords[i];
            latin.add(word.latin, i);
            if (!word.fromCyrillic) continue;
            cyrillic.add(word.cyrillic, i);
            if (word.cyrillic.back() == kSoftSign)
                cyrillic.add(word.cyrillic.substr(0, word.cyrillic.size() - 1), i);
        }
    }
};

const Tables& tables() {
    static const Tables built;
    return built;
}

// Whether `rest` is a sequence of suffixes (the empty one included).
template <bool Latin>
bool isSuffixChain(std::u32string_view rest, int depth = 0) {
    if (rest.empty()) return true;
    if (depth == 6) return false;
    for (const auto& [latin, cyrillic] : kSuffixes) {
        const std::u32string_view suffix = Latin ? latin : cyrillic;
        if (rest.starts_with(suffix) && isSuffixChain<Latin>(rest.substr(suffix.size()), depth + 1)) return true;
    }
    return false;
}

std::u32string_view withoutSoftSign(std::u32string_view cyrillic) {
    return cyrillic.back() == kSoftSign ? cyrillic.substr(0, cyrillic.size() - 1) : cyrillic;
}

bool isLatinVowel(char32_t c) { return c == U'a' || c == U'e' || c == U'i' || c == U'o' || c == U'u'; }

struct Ending {
    std::u32string_view latin;
    std::u32string_view cyrillic;
    bool afterVowel;
};
constexpr Ending kEndings[] = {
    {U"tsiya", U"ция", true},
    {U"tsion", U"цион", true},
    {U"ksiya", U"кция", false},
};

}  // namespace

std::span<const LoanWord> loanWords() { return kLoanWords; }

std::optional<LoanMatch> latinLoanAtStart(std::u32string_view lowerWord) {
    std::array<Trie::Prefix, 8> found;
    const std::size_t count = tables().latin.prefixes(lowerWord, found);
    for (std::size_t k = 0; k < count; ++k) {
        const std::u32string_view rest = lowerWord.substr(found[k].length);
        if (!isSuffixChain<true>(rest)) continue;
        const std::u32string_view cyrillic = kLoanWords[found[k].value].cyrillic;
        return LoanMatch{rest.empty() ? cyrillic : withoutSoftSign(cyrillic), found[k].length};
    }
    return std::nullopt;
}

std::optional<LoanMatch> cyrillicLoanAtStart(std::u32string_view lowerWord) {
    std::array<Trie::Prefix, 8> found;
    const std::size_t count = tables().cyrillic.prefixes(lowerWord, found);
    for (std::size_t k = 0; k < count; ++k)
        if (isSuffixChain<false>(lowerWord.substr(found[k].length)))
            return LoanMatch{kLoanWords[found[k].value].latin, found[k].length};
    return std::nullopt;
}

std::optional<LoanEnding> latinLoanEnding(std::u32string_view lowerWord) {
    for (const Ending& ending : kEndings) {
        for (std::size_t start = lowerWord.find(ending.latin, 1); start != std::u32string_view::npos;
             start = lowerWord.find(ending.latin, start + 1)) {
            if (ending.afterVowel && !isLatinVowel(lowerWord[start - 1])) continue;
            if (isSuffixChain<true>(lowerWord.substr(start + ending.latin.size())))
                return LoanEnding{start, ending.latin.size(), ending.cyrillic};
        }
    }
    return std::nullopt;
}
