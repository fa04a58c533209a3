#include "ui/headless/WindowSnapshot.h"

#include <map>
#include <memory>

#include "ui/Backend.h"
#include "ui/SApplication.h"
#include "ui/SHostWnd.h"
#include "ui/headless/PngSurface.h"

namespace zintra::ui {

namespace {

std::unique_ptr<PngSurface> Paint(SHostWnd& host) {
    SApplication* application = SApplication::Instance();
    if (application == nullptr || host.GetRoot() == nullptr) return nullptr;
    auto pictures = std::make_shared<std::map<std::string, std::optional<Bitmap>>>();
    auto surface = std::make_unique<PngSurface>(host.GetClientSize().width, host.GetClientSize().height,
                       [application, pictures](const Skin& skin) -> const Bitmap* {
                           auto it = pictures->find(skin.source);
                           if (it == pictures->end()) {
                               std::optional<Bitmap> decoded;
                               if (auto bytes = application->LoadResource(skin.source)) {
                                   decoded = application->GetBackend().DecodeImage(*bytes);
                               }
                               it = pictures->emplace(skin.source, std::move(decoded)).first;
                           }
                           return it->second ? &*it->second : nullptr;
                       });
    host.Paint(*surface);
    return surface;
}

}  // namespace

std::optional<Bitmap> RenderWindow(SHostWnd& host) {
    auto surface = Paint(host);
    if (!surface) return std::nullopt;
    return surface->Pixels();
}

bool SaveWindowPng(SHostWnd& host, const std::string& path) {
    auto surface = Paint(host);
    return surface && surface->WritePng(path);
}

}  // namespace zintra::ui
