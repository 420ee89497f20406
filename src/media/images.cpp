// Named pictures of a content pack: loaded from "images.xml", found by name by the
// animations, and drawn with their own handle, origin, scale, alpha and blend mode.
#include "media/images.h"

#include "core/arrays.h"
#include "core/globals.h"
#include "core/lookup.h"
#include "platform/graphics.h"
#include "platform/runtime.h"
#include "text/parser.h"

namespace {

// Slow machines get plain textures; fast ones get the filtering and mipmaps the image
// asks for, and plain textures for option values other than 0 and 1.
int SinglePictureFlags(int filter, int mipMap) {
    if (g_isFastComputer == 0) return 0;
    if (filter == 1 && mipMap == 1) return FILTEREDIMAGE | MIPMAPPEDIMAGE;
    if (filter == 0 && mipMap == 1) return MIPMAPPEDIMAGE;
    if (filter == 1 && mipMap == 0) return FILTEREDIMAGE;
    return 0;
}

// A strip's cell size in whole pixels, or 0 when no cell can be that size (below one
// pixel, not a number, or beyond what an int holds).
int CellPixels(float size) {
    if (!(size >= 1.0f) || !(size < 2147483648.0f)) return 0;
    return static_cast<int>(size);
}

int BlendByName(const std::string& mode) {
    if (mode == "SOLIDBLEND") return SOLIDBLEND;
    if (mode == "MASKBLEND") return MASKBLEND;
    if (mode == "LIGHTBLEND") return LIGHTBLEND;
    if (mode == "SHADEBLEND") return SHADEBLEND;
    return ALPHABLEND;
}

}  // namespace

Image::~Image() { Unlink(); }

int Image::Unlink() {
    return Guarded("images:Image.Unlink() ", 0, [&] {
        imageData = nullptr;
        return 0;
    });
}

int Image::Clone(const ImagePtr& source) {
    return Guarded("images:Image.Clone() ", 0, [&] {
        const Image& s = Deref(source);
        imageData = s.imageData;
        fileName = s.fileName;
        name = s.name;
        frames = s.frames;
        width = s.width;
        height = s.height;
        handleX = s.handleX;
        handleY = s.handleY;
        originX = s.originX;
        originY = s.originY;
        xScale = s.xScale;
        yScale = s.yScale;
        alpha = s.alpha;
        blendMode = s.blendMode;
        mipMap = s.mipMap;
        filter = s.filter;
        return 0;
    });
}

int Image::LoadFromXML(const std::string& xml, const std::string& folder) {
    return Guarded("images:Image.LoadFromXML() ", 0, [&] {
        fileName = folder + GetDataFromXML(xml, "fileName");
        ThrowError(1, "Loading image data from XML: " + fileName);

        name = GetDataFromXML(xml, "name");
        // A missing alpha reads as 0, so such an image draws invisibly; packs may rely on it.
        alpha = TextToFloat(GetDataFromXML(xml, "alpha"));
        blendMode = GetDataFromXML(xml, "blendMode");
        handleX = TextToFloat(GetDataFromXML(xml, "handleX"));
        handleY = TextToFloat(GetDataFromXML(xml, "handleY"));
        originX = TextToFloat(GetDataFromXML(xml, "originX"));
        originY = TextToFloat(GetDataFromXML(xml, "originY"));
        SetFloatFromXML(xScale, xml, "xScale");
        SetFloatFromXML(yScale, xml, "yScale");
        SetIntFromXML(mipMap, xml, "mipMap");
        SetIntFromXML(filter, xml, "filter");

        std::string framesText = GetDataFromXML(xml, "frames");
        std::string trimmed = TrimText(framesText);
        if (framesText.empty() || trimmed == "0" || trimmed == "1") {
            frames = 1;
            LoadFromFile(fileName, name, 1, 0.0f, 0.0f);
        } else {
            frames = TextToInt(framesText);
            width = TextToFloat(GetDataFromXML(xml, "frameWidth"));
            height = TextToFloat(GetDataFromXML(xml, "frameHeight"));
            LoadFromFile(fileName, name, frames, width, height);
        }

        ThrowError(1, "Loaded image \"" + name + "\" from XML");
        return 0;
    });
}

int Image::LoadFromFile(const std::string& path, const std::string& newName, int newFrames, float frameWidth,
                        float frameHeight) {
    return Guarded("images:Image.LoadFromFile() ", 0, [&] {
        ThrowError(1, "Loading image \"" + path + "\"...");
        fileName = path;
        name = newName;
        frames = newFrames;
        width = frameWidth;
        height = frameHeight;

        TImagePtr loaded;
        if (frames == 1) {
            loaded = LoadImage(fileName, SinglePictureFlags(filter, mipMap));
        } else {
            // A strip needs at least one frame of at least one pixel; anything else is
            // reported below like a picture that could not be read.
            int cellW = CellPixels(width), cellH = CellPixels(height);
            if (frames >= 1 && cellW >= 1 && cellH >= 1) loaded = LoadAnimImage(fileName, cellW, cellH, 0, frames, -1);
        }
        imageData = loaded;
        if (!imageData) ThrowError(-13, "missing image: " + fileName);

        if (width == 0.0f) width = static_cast<float>(ImageWidth(imageData));
        if (height == 0.0f) height = static_cast<float>(ImageHeight(imageData));
        return 0;
    });
}

int Image::Unload() {
    return Guarded("images:Image.Unload() ", 0, [] { return 0; });
}

int Image::Draw(float x, float y, float rotation, float scaleX, float scaleY, int red, int green, int blue,
                float drawAlpha, int frame, float handleDX, float handleDY) {
    // Drawing runs every frame for every sprite: a missing picture or a frame it does
    // not have draws nothing rather than raising into the frame loop.
    if (!imageData || frame < 0 || frame >= ImageFrames(imageData)) return 0;

    const float wf = g_widthFactor, hf = g_heightFactor;
    float a = drawAlpha * alpha;
    if (!(a >= 0.0f)) {
        a = 0.0f;
    } else if (a > 1.0f) {
        a = 1.0f;
    }
    if (wf != 1.0f) scaleX *= 1.04f;
    if (hf != 1.0f) scaleY *= 1.04f;

    SetOrigin(originX * scaleX * xScale * wf, originY * scaleY * yScale * hf);
    SetImageHandle(imageData, handleX + handleDX, handleY + handleDY);
    SetTransform(rotation, xScale * scaleX * wf, yScale * scaleY * hf);
    SetBlend(BlendByName(blendMode));
    SetColor(red, green, blue);
    SetAlpha(a);
    DrawImage(imageData, x * wf, y * hf, frame);
    return 0;
}

float Image::GetWidth() {
    return Guarded("images:Image.GetWidth() ", 0.0f, [&] { return static_cast<float>(ImageWidth(imageData)); });
}

float Image::GetHeight() {
    return Guarded("images:Image.GetHeight() ", 0.0f, [&] { return static_cast<float>(ImageHeight(imageData)); });
}

int Image::GetFrames() {
    return Guarded("images:Image.GetFrames() ", 0, [&] { return frames; });
}

std::string Image::GetFilename() {
    return Guarded("images:Image.GetFilename() ", std::string(), [&] { return fileName; });
}

std::string Image::GetName() {
    return Guarded("images:Image.GetName() ", std::string(), [&] { return name; });
}

int Image::SetImageAlpha(float a) {
    return Guarded("images:Image.SetImageAlpha() ", 0, [&] {
        alpha = a;
        return 0;
    });
}

int Image::SetBlendMode(int mode) {
    return Guarded("images:Image.SetBlendMode() ", 0, [&] {
        // Stored by the name Draw understands, so a number set here draws as it says.
        static const char* const kNames[] = {"MASKBLEND", "SOLIDBLEND", "ALPHABLEND", "LIGHTBLEND", "SHADEBLEND"};
        blendMode = (mode >= 1 && mode <= 5) ? kNames[mode - 1] : IntToText(mode);
        return 0;
    });
}

float Image::GetImageAlpha() {
    return Guarded("images:Image.GetImageAlpha() ", 0.0f, [&] { return alpha; });
}

std::string Image::GetBlendMode() {
    return Guarded("images:Image.GetBlendMode() ", std::string(), [&] { return blendMode; });
}

ImagePtr GetImageByName(const std::string& name, const std::vector<ImagePtr>& images) {
    // Frozen variants are optional: an animation looks for one beside every picture.
    const bool optional = name.compare(0, 8, "_frozen_") == 0;
    return GetByName("images:GetImageByName() ", images, &Image::name, name, optional ? nullptr : "image");
}

std::vector<ImagePtr> AppendNewImage(const std::vector<ImagePtr>& images) {
    return AppendNew("images:AppendNewImage() ", images);
}
