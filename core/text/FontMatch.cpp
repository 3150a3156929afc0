#include "core/text/FontMatch.h"

#include <algorithm>
#include <deque>
#include <filesystem>
#include <fontconfig/fontconfig.h>
#include <mutex>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define VELVOR_LEAK_CHECKED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELVOR_LEAK_CHECKED 1
#endif
#endif

#ifdef VELVOR_LEAK_CHECKED
// fontconfig 2.14 loses a few bytes while parsing its configuration files, once per loaded
// configuration; the leak checker would fail every program that draws text.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
#endif

namespace Velvor {

namespace {

// A private configuration, loaded once per process, so the extra folder never changes what other
// users of fontconfig in the same program (the GUI toolkit) see.
FcConfig* fontConfig() {
    static FcConfig* const config = [] {
        FcConfig* loaded = FcInitLoadConfigAndFonts();
        std::error_code error;
        if (loaded != nullptr && std::filesystem::is_directory(desktopFaceFolder, error)) {
            FcConfigAppFontAddDir(loaded, reinterpret_cast<const FcChar8*>(desktopFaceFolder));
        }
        return loaded;
    }();
    return config;
}

// The request for a family and weight, with the configuration's substitutions applied.
FcPattern* requestFor(FcConfig* config, const std::string& family, int weight) {
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return nullptr;
    }
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    return pattern;
}

bool fileOf(const FcPattern* match, FontFile& found) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch || file == nullptr) {
        return false;
    }
    int index = 0;
    FcBool embolden = FcFalse;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden);
    found.path = reinterpret_cast<const char*>(file);
    found.index = index;
    found.embolden = embolden == FcTrue;
    return true;
}

// The best match for a family and weight, as fontconfig answers it.
bool matchFont(FcConfig* config, const std::string& family, int weight, FontFile& found) {
    FcPattern* pattern = config == nullptr ? nullptr : requestFor(config, family, weight);
    if (pattern == nullptr) {
        return false;
    }
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) {
        return false;
    }
    const bool ok = fileOf(match, found);
    FcPatternDestroy(match);
    return ok;
}

} // namespace

struct RankedFace {
    FontFile file;
    FcCharSet* characters; // a reference of our own
};

// The outline faces of fontconfig's ranking, each prepared for the request (which adds the
// emboldening hint), with the characters it holds. Read-only once built, so threads share it.
struct FontRanking {
    std::vector<RankedFace> faces;

    FontRanking() = default;
    FontRanking(const FontRanking&) = delete;
    FontRanking& operator=(const FontRanking&) = delete;
    ~FontRanking() {
        for (const RankedFace& face : faces) {
            FcCharSetDestroy(face.characters);
        }
    }
};

namespace {

std::shared_ptr<const FontRanking> rankFonts(FcConfig* config, const std::string& family, int weight) {
    auto ranking = std::make_shared<FontRanking>();
    FcPattern* request = config == nullptr ? nullptr : requestFor(config, family, weight);
    if (request == nullptr) {
        return ranking;
    }
    // Trimmed: a face that adds no character to those ranked above it can never be the first to
    // hold one.
    FcResult result = FcResultNoMatch;
    FcFontSet* fonts = FcFontSort(config, request, FcTrue, nullptr, &result);
    for (int i = 0; fonts != nullptr && i < fonts->nfont; ++i) {
        const FcPattern* font = fonts->fonts[i];
        FcCharSet* characters = nullptr;
        FcBool outline = FcFalse;
        if (FcPatternGetBool(font, FC_OUTLINE, 0, &outline) != FcResultMatch || outline != FcTrue ||
            FcPatternGetCharSet(font, FC_CHARSET, 0, &characters) != FcResultMatch) {
            continue;
        }
        FcPattern* prepared = FcFontRenderPrepare(config, request, const_cast<FcPattern*>(font));
        FontFile file;
        if (prepared != nullptr && fileOf(prepared, file)) {
            ranking->faces.push_back({std::move(file), FcCharSetCopy(characters)});
        }
        if (prepared != nullptr) {
            FcPatternDestroy(prepared);
        }
    }
    if (fonts != nullptr) {
        FcFontSetDestroy(fonts);
    }
    FcPatternDestroy(request);
    return ranking;
}

// fontconfig's answers for the process. One lock serialises the questions too: a miss costs a
// fraction of a millisecond once, and every later text is a hit.
class FontAnswers {
public:
    bool match(const std::string& family, int weight, FontFile& found) {
        const std::lock_guard lock(mutex_);
        const auto known = std::find_if(matches_.begin(), matches_.end(), [&](const Match& entry) {
            return entry.weight == weight && entry.family == family;
        });
        if (known != matches_.end()) {
            found = known->file;
            return known->found;
        }
        Match entry{family, weight, false, {}};
        entry.found = matchFont(fontConfig(), family, weight, entry.file);
        keep(matches_, std::move(entry), matchLimit);
        found = matches_.back().file;
        return matches_.back().found;
    }

    std::shared_ptr<const FontRanking> ranking(const std::string& family, int weight) {
        const std::lock_guard lock(mutex_);
        const auto known = std::find_if(rankings_.begin(), rankings_.end(), [&](const Ranking& entry) {
            return entry.weight == weight && entry.family == family;
        });
        if (known != rankings_.end()) {
            return known->ranking;
        }
        keep(rankings_, Ranking{family, weight, rankFonts(fontConfig(), family, weight)}, rankingLimit);
        return rankings_.back().ranking;
    }

private:
    // Families are whatever a material names, so the answers kept are bounded.
    static constexpr std::size_t matchLimit = 64;
    // A ranking holds every installed face; texts need one per face and weight in use.
    static constexpr std::size_t rankingLimit = 8;

    struct Match {
        std::string family;
        int weight;
        bool found;
        FontFile file;
    };
    struct Ranking {
        std::string family;
        int weight;
        // Users hold on to an evicted ranking until they are done with it.
        std::shared_ptr<const FontRanking> ranking;
    };

    template <class Entry> static void keep(std::deque<Entry>& entries, Entry entry, std::size_t limit) {
        if (entries.size() >= limit) {
            entries.pop_front();
        }
        entries.push_back(std::move(entry));
    }

    std::mutex mutex_;
    std::deque<Match> matches_;
    std::deque<Ranking> rankings_;
};

// Never destroyed: texts may still be drawn by other threads while the program exits.
FontAnswers& fontAnswers() {
    static FontAnswers* const answers = new FontAnswers;
    return *answers;
}

} // namespace

bool findFont(const std::string& family, int weight, FontFile& found) {
    return fontAnswers().match(family, weight, found);
}

void FallbackFonts::reset(const std::string& family, int weight) {
    ranking_.reset();
    family_ = family;
    weight_ = weight;
}

bool FallbackFonts::next(char32_t character, std::size_t& position, FontFile& found) {
    if (ranking_ == nullptr) {
        ranking_ = fontAnswers().ranking(family_, weight_);
    }
    const std::vector<RankedFace>& faces = ranking_->faces;
    for (; position < faces.size(); ++position) {
        // A character set never changes once fontconfig has built it, so reading it needs no lock.
        if (FcCharSetHasChar(faces[position].characters, character) == FcTrue) {
            found = faces[position].file;
            ++position;
            return true;
        }
    }
    return false;
}

} // namespace Velvor
