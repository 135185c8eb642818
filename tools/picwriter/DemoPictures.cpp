#include "tools/picwriter/DemoPictures.h"

#include "tools/picwriter/Patterns.h"
#include "tools/picwriter/PicWriter.h"

#include <filesystem>
#include <system_error>

namespace slidora::picwriter {
namespace {

enum class Scene { Sunset, Plasma, Mountains, Aurora, Bubbles, Meadow };
enum class Format { Jpeg, ProgressiveJpeg, Png, Bmp };

struct DemoRecipe {
    DemoPicture picture;
    Scene scene;
    Format format;
    std::uint32_t seed;
};

const std::vector<DemoRecipe>& recipes() {
    static const std::vector<DemoRecipe> list = {
        {{"sunset.jpg", 1920, 1080}, Scene::Sunset, Format::Jpeg, 1},
        {{"plasma.png", 800, 600}, Scene::Plasma, Format::Png, 3},
        {{"mountains.jpg", 3000, 2000}, Scene::Mountains, Format::Jpeg, 1},
        {{"aurora.jpg", 1280, 960}, Scene::Aurora, Format::Jpeg, 2},
        {{"bubbles.bmp", 640, 480}, Scene::Bubbles, Format::Bmp, 1},
        {{"meadow-portrait.jpg", 1080, 1920}, Scene::Meadow, Format::Jpeg, 4},
        {{"sunset-portrait.png", 768, 1024}, Scene::Sunset, Format::Png, 5},
        {{"plasma-wide.bmp", 1024, 576}, Scene::Plasma, Format::Bmp, 8},
        {{"garden/meadow.jpg", 1600, 1200}, Scene::Meadow, Format::Jpeg, 2},
        {{"dusk-mountains.jpeg", 1024, 768}, Scene::Mountains, Format::Jpeg, 7},
        {{"aurora-wide.jpg", 2048, 1152}, Scene::Aurora, Format::ProgressiveJpeg, 9},
        {{"bubbles-portrait.png", 720, 960}, Scene::Bubbles, Format::Png, 6},
    };
    return list;
}

Bitmap render(const DemoRecipe& recipe) {
    const int w = recipe.picture.width;
    const int h = recipe.picture.height;
    switch (recipe.scene) {
    case Scene::Sunset:
        return makeSunset(w, h, recipe.seed);
    case Scene::Plasma:
        return makePlasma(w, h, recipe.seed);
    case Scene::Mountains:
        return makeMountains(w, h, recipe.seed);
    case Scene::Aurora:
        return makeAurora(w, h, recipe.seed);
    case Scene::Bubbles:
        return makeBubbles(w, h, recipe.seed);
    case Scene::Meadow:
        return makeMeadow(w, h, recipe.seed);
    }
    return {};
}

} // namespace

std::vector<DemoPicture> demoPictureList() {
    std::vector<DemoPicture> list;
    for (const DemoRecipe& recipe : recipes())
        list.push_back(recipe.picture);
    return list;
}

bool writeDemoPictures(const std::string& folder, std::string& error) {
    namespace fs = std::filesystem;
    for (const DemoRecipe& recipe : recipes()) {
        const fs::path path = fs::path(folder) / recipe.picture.relativePath;
        std::error_code code;
        fs::create_directories(path.parent_path(), code);
        if (code) {
            error = path.parent_path().string() + ": " + code.message();
            return false;
        }
        const Bitmap bitmap = render(recipe);
        bool written = false;
        switch (recipe.format) {
        case Format::Jpeg:
            written = writeJpeg(
                path.string(), bitmap,
                {.quality = 90, .progressive = false, .colour = JpegColour::Rgb, .exif = {}});
            break;
        case Format::ProgressiveJpeg:
            written = writeJpeg(
                path.string(), bitmap,
                {.quality = 88, .progressive = true, .colour = JpegColour::Rgb, .exif = {}});
            break;
        case Format::Png:
            written = writePng(path.string(), bitmap);
            break;
        case Format::Bmp:
            written = writeBmp(path.string(), bitmap);
            break;
        }
        if (!written) {
            error = path.string() + ": cannot write the picture";
            return false;
        }
    }
    return true;
}

} // namespace slidora::picwriter
