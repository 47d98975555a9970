#include "PlainImageFile.h"

#include "Failure.h"
#include "OtherReaderNeeded.h"
#include "PngFile.h"
#include "TgaFile.h"

ImageData LoadPlainImage(const std::string& path, const SizeCheck& check) {
    const auto checked = [&](int32_t width, int32_t height) {
        if (check)
            check(QSize(width, height));
    };
    // Every file LoadTGA takes is a TGA, though its first bytes may spell another format's
    // signature ("BM", "P6").
    bool tga = false;
    ImageData image;
    try {
        LoadTGA(path, image, [&](int width, int height) {
            tga = true;
            checked(width, height);
        });
        return image;
    } catch (const Failure&) {
        if (tga)
            throw;
    }
    if (LoadPNG(path, image, checked) == PngRead::Read)
        return image;
    throw OtherReaderNeeded{};
}
