// The OpenGL half of the screen: image textures, and the frame's clears and quads, kept until
// the flip draws them, a run of quads sharing texture, blend mode and clip rectangle in one
// call, or leaves them undrawn when they are the very frame the window already shows.
#include "platform/gl_backend.h"

#include <GL/gl.h>
#include <SDL.h>

#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <set>
#include <utility>
#include <vector>

namespace {

struct Vertex {
    float x, y;
    float u, v;
    uint8_t r, g, b, a;
};
// Frames are compared byte for byte: no padding may hide between the fields.
static_assert(sizeof(Vertex) == 4 * sizeof(float) + 4);

// The clip rectangle in GL's bottom-left window coordinates.
struct Scissor {
    bool on = false;
    bool empty = false;  // a viewport with no area: nothing shows
    int x = 0, y = 0, w = 0, h = 0;
    bool operator==(const Scissor&) const = default;
};

// What the GL context is set to now, so unchanged state costs nothing.
struct Applied {
    unsigned texture = 0;  // 0: texturing off
    int blend = SOLIDBLEND;
    Scissor scissor;
};

// A step of a frame: a clear inside the scissor, or a run of quads, vertices first to
// first + count, drawn in one call.
struct Command {
    bool clear = false;
    unsigned texture = 0;  // 0: the plain colour
    int blend = SOLIDBLEND;
    Scissor scissor;
    int first = 0, count = 0;
    bool operator==(const Command&) const = default;
};

// All a frame asks of GL, in order.
struct Frame {
    std::vector<Command> commands;
    std::vector<Vertex> vertices;

    bool operator==(const Frame& other) const {
        return commands == other.commands && vertices.size() == other.vertices.size() &&
               (vertices.empty() ||
                std::memcmp(vertices.data(), other.vertices.data(), vertices.size() * sizeof(Vertex)) == 0);
    }
    void Clear() {
        commands.clear();
        vertices.clear();
    }
};

using GenerateMipmapFn = void (*)(GLenum);

bool g_active = false;   // a screen is open: draw calls build frames
bool g_context = false;  // and a GL context draws them (not on the headless backend)
int g_width = 0;
int g_height = 0;
int g_generation = -1;
Applied g_applied;
Frame g_frame;      // being built
Frame g_shown;      // the last frame drawn: what the window shows
size_t g_sent = 0;  // commands of g_frame already drawn, for a read of the screen or a texture's release
// The next frame is drawn even when it is the same as g_shown. Set from SDL's event watch.
std::atomic<bool> g_redraw{true};
// Headless texture numbers: the highest given, and those released, given again as a GL
// driver may.
unsigned g_headlessTextures = 0;
std::set<unsigned> g_freeHeadlessTextures;
int g_drawCalls = 0;
GenerateMipmapFn g_generateMipmap = nullptr;

Scissor ScissorFor(const DrawState& s) {
    Scissor sc;
    // 0 x 0 is the untouched state: the whole window.
    if (s.viewportW == 0 && s.viewportH == 0) return sc;
    // A crop that closed up shows nothing rather than everything.
    if (s.viewportW <= 0 || s.viewportH <= 0) {
        sc.empty = true;
        return sc;
    }
    bool wholeWindow = s.viewportX <= 0 && s.viewportY <= 0 && s.viewportX + s.viewportW >= g_width &&
                       s.viewportY + s.viewportH >= g_height;
    if (wholeWindow) return sc;
    sc.on = true;
    sc.x = s.viewportX;
    sc.y = g_height - s.viewportY - s.viewportH;
    sc.w = s.viewportW;
    sc.h = s.viewportH;
    return sc;
}

void ApplyBlend(int mode) {
    BlendFactors f = BlendFactorsFor(mode);
    if (f.blending) {
        glEnable(GL_BLEND);
        glBlendFunc(f.src, f.dst);
    } else {
        glDisable(GL_BLEND);
    }
    if (f.alphaTest) {
        glEnable(GL_ALPHA_TEST);
    } else {
        glDisable(GL_ALPHA_TEST);
    }
}

void ApplyTexture(unsigned texture) {
    if (texture) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
    } else {
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
    }
}

void ApplyScissor(const Scissor& sc) {
    if (sc.on) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(sc.x, sc.y, sc.w, sc.h);
    } else {
        glDisable(GL_SCISSOR_TEST);
    }
}

void UseState(unsigned texture, int blend, const Scissor& scissor) {
    if (texture != g_applied.texture) ApplyTexture(texture);
    if (blend != g_applied.blend) ApplyBlend(blend);
    if (!(scissor == g_applied.scissor)) ApplyScissor(scissor);
    g_applied = {texture, blend, scissor};
}

// Draws the commands of the frame not drawn yet.
void SendPending() {
    if (g_context && g_sent < g_frame.commands.size()) {
        const char* base = reinterpret_cast<const char*>(g_frame.vertices.data());
        glVertexPointer(2, GL_FLOAT, sizeof(Vertex), base + offsetof(Vertex, x));
        glTexCoordPointer(2, GL_FLOAT, sizeof(Vertex), base + offsetof(Vertex, u));
        glColorPointer(4, GL_UNSIGNED_BYTE, sizeof(Vertex), base + offsetof(Vertex, r));
        for (size_t i = g_sent; i < g_frame.commands.size(); ++i) {
            const Command& c = g_frame.commands[i];
            if (c.clear) {
                UseState(g_applied.texture, g_applied.blend, c.scissor);
                glClear(GL_COLOR_BUFFER_BIT);
            } else {
                UseState(c.texture, c.blend, c.scissor);
                glDrawArrays(GL_TRIANGLES, c.first, c.count);
                ++g_drawCalls;
            }
        }
    }
    g_sent = g_frame.commands.size();
}

bool PendingUses(unsigned texture) {
    for (size_t i = g_sent; i < g_frame.commands.size(); ++i) {
        if (!g_frame.commands[i].clear && g_frame.commands[i].texture == texture) return true;
    }
    return false;
}

// Only a frame that starts by clearing the whole window gives the same picture from the same
// commands; any other draws over what the back buffer held.
bool StartsWithWholeClear(const Frame& frame) {
    return !frame.commands.empty() && frame.commands[0].clear && !frame.commands[0].scissor.on;
}

Vertex MakeVertex(const Point& p, float u, float v, const DrawState& s) {
    auto a = static_cast<uint8_t>(std::lround(s.alpha * 255.0f));
    return {p.x, p.y, u, v, static_cast<uint8_t>(s.red), static_cast<uint8_t>(s.green), static_cast<uint8_t>(s.blue),
            a};
}

GenerateMipmapFn FindGenerateMipmap() {
    // Core from GL 3.0 on; before that only with the framebuffer-object extension.
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    bool present = (version && std::atoi(version) >= 3) || SDL_GL_ExtensionSupported("GL_ARB_framebuffer_object");
    return present ? reinterpret_cast<GenerateMipmapFn>(SDL_GL_GetProcAddress("glGenerateMipmap")) : nullptr;
}

}  // namespace

void GlBegin(int width, int height, int generation, bool context) {
    g_active = true;
    g_context = context;
    g_width = width;
    g_height = height;
    g_generation = generation;
    g_frame.Clear();
    g_shown.Clear();
    g_sent = 0;
    g_redraw = true;
    g_drawCalls = 0;
    g_headlessTextures = 0;
    g_freeHeadlessTextures.clear();
    if (!context) return;
    g_generateMipmap = FindGenerateMipmap();

    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, width, height, 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glAlphaFunc(GL_GEQUAL, 0.5f);
    glClearColor(0, 0, 0, 1);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);

    g_applied = {};
    ApplyTexture(0);
    ApplyBlend(g_applied.blend);
    ApplyScissor(g_applied.scissor);
}

void GlEnd() {
    g_frame.Clear();
    g_shown.Clear();
    g_sent = 0;
    g_active = false;
    g_context = false;
}

bool GlActive() { return g_active; }

unsigned GlTexture(TImage& image, int frame) {
    if (image.textures.size() < image.frames.size()) image.textures.resize(image.frames.size());
    TTextureSlot& slot = image.textures[frame];
    if (slot.id && slot.generation == g_generation) return slot.id;
    const TPixmapPtr& pm = image.frames[frame];
    if (!pm || !pm->pixels || pm->width <= 0 || pm->height <= 0) return 0;
    // A texture made anew may take the number of one the window shows, with other pixels.
    g_redraw = true;
    if (!g_context) {
        if (g_freeHeadlessTextures.empty()) {
            slot.id = ++g_headlessTextures;
        } else {
            slot.id = *g_freeHeadlessTextures.begin();
            g_freeHeadlessTextures.erase(g_freeHeadlessTextures.begin());
        }
        slot.generation = g_generation;
        return slot.id;
    }

    bool filtered = image.flags & FILTEREDIMAGE;
    bool mipmapped = image.flags & MIPMAPPEDIMAGE;
    GLint magFilter = filtered ? GL_LINEAR : GL_NEAREST;
    GLint minFilter = magFilter;
    if (mipmapped) minFilter = filtered ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_NEAREST;

    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    if (mipmapped && !g_generateMipmap) glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, pm->pitch);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, pm->width, pm->height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pm->PixelPtr(0, 0));
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    if (mipmapped && g_generateMipmap) g_generateMipmap(GL_TEXTURE_2D);
    // The batch still expects its own texture bound.
    glBindTexture(GL_TEXTURE_2D, g_applied.texture);

    slot.id = id;
    slot.generation = g_generation;
    return id;
}

void ReleaseTextures(std::vector<TTextureSlot>& textures) {
    for (TTextureSlot& slot : textures) {
        // Textures of a closed context went with it.
        if (g_context && slot.id && slot.generation == g_generation) {
            // Quads of the frame not drawn yet may still sample it.
            if (PendingUses(slot.id)) SendPending();
            if (g_applied.texture == slot.id) {
                ApplyTexture(0);
                g_applied.texture = 0;
            }
            GLuint id = slot.id;
            glDeleteTextures(1, &id);
        } else if (g_active && slot.id && slot.generation == g_generation) {
            g_freeHeadlessTextures.insert(slot.id);
        }
        slot = {};
    }
}

void GlQuad(const DrawState& state, unsigned texture, const Point corners[4], float u0, float v0, float u1, float v1) {
    if (!g_active) return;
    Scissor sc = ScissorFor(state);
    if (sc.empty) return;
    // A quad joins the run before it unless something between them changed; a run already
    // drawn takes no more.
    std::vector<Command>& commands = g_frame.commands;
    if (commands.size() <= g_sent || commands.back().clear || commands.back().texture != texture ||
        commands.back().blend != state.blend || !(commands.back().scissor == sc)) {
        commands.push_back({false, texture, state.blend, sc, static_cast<int>(g_frame.vertices.size()), 0});
    }
    commands.back().count += 6;
    Vertex tl = MakeVertex(corners[0], u0, v0, state);
    Vertex tr = MakeVertex(corners[1], u1, v0, state);
    Vertex br = MakeVertex(corners[2], u1, v1, state);
    Vertex bl = MakeVertex(corners[3], u0, v1, state);
    g_frame.vertices.insert(g_frame.vertices.end(), {tl, tr, br, tl, br, bl});
}

void GlLine(const DrawState& state, Point a, Point b) {
    // Through the pixel centres, and half a pixel past each end, so a line covers its
    // end pixels like the filled rectangles next to it.
    float ax = a.x + 0.5f, ay = a.y + 0.5f, bx = b.x + 0.5f, by = b.y + 0.5f;
    float dx = bx - ax, dy = by - ay;
    float len = std::sqrt(dx * dx + dy * dy);
    if (len < 1e-4f) {
        dx = 1, dy = 0;
    } else {
        dx /= len, dy /= len;
    }
    float hx = dx * 0.5f, hy = dy * 0.5f;  // half a pixel along
    float nx = -hy, ny = hx;               // half a pixel across
    Point corners[4] = {{ax - hx + nx, ay - hy + ny},
                        {bx + hx + nx, by + hy + ny},
                        {bx + hx - nx, by + hy - ny},
                        {ax - hx - nx, ay - hy - ny}};
    GlQuad(state, 0, corners, 0, 0, 0, 0);
}

void GlClear(const DrawState& state) {
    if (!g_active) return;
    Scissor sc = ScissorFor(state);
    if (sc.empty) return;
    Command clear;
    clear.clear = true;
    clear.scissor = sc;
    g_frame.commands.push_back(clear);
}

bool GlEndFrame() {
    if (!g_active) return false;
    const bool redraw = g_redraw.exchange(false);
    if (!redraw && g_sent == 0 && StartsWithWholeClear(g_frame) && g_frame == g_shown) {
        g_frame.Clear();
        return false;
    }
    SendPending();
    std::swap(g_frame, g_shown);
    g_frame.Clear();
    g_sent = 0;
    return true;
}

void GlRedrawNext() { g_redraw = true; }

int GlTakeDrawCalls() {
    int n = g_drawCalls;
    g_drawCalls = 0;
    return n;
}

TPixmapPtr GlReadScreen() {
    if (!g_context || g_width <= 0 || g_height <= 0) return nullptr;
    // Once drawn for the read, the frame is shown at the flip even if it matches the last.
    SendPending();
    size_t rowBytes = static_cast<size_t>(g_width) * 4;
    std::vector<uint8_t> raw(rowBytes * g_height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, g_width, g_height, GL_RGBA, GL_UNSIGNED_BYTE, raw.data());

    auto pm = std::make_shared<TPixmap>();
    pm->width = g_width;
    pm->height = g_height;
    pm->pitch = g_width;
    pm->hasAlpha = false;
    pm->pixels = std::make_shared<std::vector<uint8_t>>(raw.size());
    // GL's rows run bottom to top.
    for (int y = 0; y < g_height; ++y) {
        std::memcpy(pm->PixelPtr(0, y), raw.data() + rowBytes * (g_height - 1 - y), rowBytes);
    }
    for (size_t i = 3; i < pm->pixels->size(); i += 4) (*pm->pixels)[i] = 255;
    return pm;
}
