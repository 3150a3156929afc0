#include "core/FontMatch.h"

#include <filesystem>
#include <fontconfig/fontconfig.h>

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

} // namespace

bool findFont(const std::string& family, int weight, FontFile& found) {
    FcConfig* config = fontConfig();
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

FallbackFonts::~FallbackFonts() {
    reset({}, 400);
}

void FallbackFonts::reset(const std::string& family, int weight) {
    if (fonts_ != nullptr) {
        FcFontSetDestroy(fonts_);
        fonts_ = nullptr;
    }
    if (request_ != nullptr) {
        FcPatternDestroy(request_);
        request_ = nullptr;
    }
    family_ = family;
    weight_ = weight;
    sorted_ = false;
}

bool FallbackFonts::next(char32_t character, std::size_t& position, FontFile& found) {
    FcConfig* config = fontConfig();
    if (!sorted_) {
        sorted_ = true;
        request_ = config == nullptr ? nullptr : requestFor(config, family_, weight_);
        if (request_ != nullptr) {
            // Trimmed: a face that adds no character to those ranked above it can never be the first
            // to hold one.
            FcResult result = FcResultNoMatch;
            fonts_ = FcFontSort(config, request_, FcTrue, nullptr, &result);
        }
    }
    bool ok = false;
    for (; !ok && fonts_ != nullptr && position < static_cast<std::size_t>(fonts_->nfont); ++position) {
        const FcPattern* font = fonts_->fonts[position];
        FcCharSet* characters = nullptr;
        FcBool outline = FcFalse;
        if (FcPatternGetBool(font, FC_OUTLINE, 0, &outline) != FcResultMatch || outline != FcTrue ||
            FcPatternGetCharSet(font, FC_CHARSET, 0, &characters) != FcResultMatch ||
            FcCharSetHasChar(characters, character) != FcTrue) {
            continue;
        }
        // The ranked entries describe fonts; preparing one for the request adds the emboldening hint.
        FcPattern* prepared = FcFontRenderPrepare(config, request_, const_cast<FcPattern*>(font));
        ok = prepared != nullptr && fileOf(prepared, found);
        if (prepared != nullptr) {
            FcPatternDestroy(prepared);
        }
    }
    return ok;
}

} // namespace Velvor
