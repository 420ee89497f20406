// Named pictures of a content pack: loaded from "images.xml", found by name by the
// animations, and drawn with their own handle, origin, scale, alpha and blend mode.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "media/fwd.h"
#include "platform/image.h"

class Image {
public:
    TImagePtr imageData;  // shared with every clone; null until loaded
    std::string fileName;
    std::string name;
    int frames = 1;
    float width = 0.0f;  // one frame
    float height = 0.0f;
    float handleX = 0.0f;
    float handleY = 0.0f;
    float originX = 0.0f;
    float originY = 0.0f;
    float xScale = 1.0f;
    float yScale = 1.0f;
    float alpha = 1.0f;
    std::string blendMode = "ALPHABLEND";
    int mipMap = 0;
    int filter = 1;

    ~Image();

    int Unlink();
    int Clone(const ImagePtr& source);
    int LoadFromXML(const std::string& xml, const std::string& folder);
    int LoadFromFile(const std::string& path, const std::string& newName, int newFrames, float frameWidth,
                     float frameHeight);
    int Unload();
    int Draw(float x, float y, float rotation, float scaleX, float scaleY, int red, int green, int blue,
             float drawAlpha, int frame, float handleDX, float handleDY);
    float GetWidth();
    float GetHeight();
    int GetFrames();
    std::string GetFilename();
    std::string GetName();
    int SetImageAlpha(float a);
    int SetBlendMode(int mode);
    float GetImageAlpha();
    std::string GetBlendMode();
};

// The first image of that name; a missing name is reported unless it begins "_frozen_".
ImagePtr GetImageByName(const std::string& name, const std::vector<ImagePtr>& images);
std::vector<ImagePtr> AppendNewImage(const std::vector<ImagePtr>& images);
