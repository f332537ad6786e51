// The picture of a picture-shaped button: any pixels, any key colour. The button's window
// region holds exactly the pixels that are not within 3 of the key (the top-left pixel) per
// channel; the face region lies inside it and the inner region inside the face region; and the
// button draws. The input's first bytes are the picture's size, the shape (7 or 8) and the
// button's style; the rest are the pixels, three bytes each, repeated when they run out.

#include <QImage>
#include <QWidget>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "controls/gxButtons_H/gxButtons_H.h"
#include "platform/forms/PropertyBag.h"
#include "platform/gdi/Gdi.h"

namespace gdi = platform::gdi;

namespace {

QWidget* gWindow = nullptr;

bool Keyed(QRgb p, QRgb key) {
    return std::abs(qRed(p) - qRed(key)) <= 3 && std::abs(qGreen(p) - qGreen(key)) <= 3 &&
           std::abs(qBlue(p) - qBlue(key)) <= 3;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    fuzz::StartApplication(argc, argv);
    gWindow = new QWidget;
    gWindow->resize(200, 200);
    gWindow->setAttribute(Qt::WA_DontShowOnScreen);
    gWindow->show();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    const int w = in.In(1, 48), h = in.In(1, 48);
    const std::uint8_t choice = in.Byte();
    const std::string pixels = in.Rest();
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (pixels.empty()) {
                image.setPixel(x, y, qRgb(255, 0, 255));
                continue;
            }
            const std::size_t i = (std::size_t(y) * std::size_t(w) + std::size_t(x)) * 3;
            const auto at = [&](std::size_t k) { return std::uint8_t(pixels[k % pixels.size()]); };
            image.setPixel(x, y, qRgb(at(i), at(i + 1), at(i + 2)));
        }

    const int before = gdi::LiveObjectCount();
    {
        auto* button = new gxButtons_H(gWindow);
        platform::forms::Json bag{{"Caption", choice & 1 ? "Ab" : ""},
                                  {"ButtonStyle", (choice >> 1) % 8}};
        button->ReadProperties(platform::forms::PropertyBag(bag));
        button->resize(w, h);
        button->SetPicture(platform::Picture(image, platform::Picture::Kind::Bitmap));
        button->SetButtonShape(choice & 0x10 ? 8 : 7);
        button->show();
        fuzz::Check(button->size() == QSize(w, h), "the button did not take its picture's size");

        // The window region as the button set it, and as a fresh carving of the picture gives
        // it together with the face regions (which the button then moves inside the window
        // region's box).
        const QRgb key = image.pixel(0, 0);
        gdi::HRGN carved = gdi::CreateRectRgn(0, 0, w, h);
        button->PreparePicture(w, h, &carved);
        const QRegion window = gdi::RegionOf(carved);
        gdi::DeleteObject(carved);
        // The region's pixels as a map (asking the region pixel by pixel costs its rectangle
        // count each time).
        fuzz::Check(window.isEmpty() || QRect(0, 0, w, h).contains(window.boundingRect()),
                    "the window region leaves the picture");
        std::vector<char> inside(std::size_t(w) * std::size_t(h), 0);
        for (const QRect& r : window)
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    inside[std::size_t(y) * std::size_t(w) + std::size_t(x)] = 1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                fuzz::Check(bool(inside[std::size_t(y) * std::size_t(w) + std::size_t(x)]) !=
                                Keyed(image.pixel(x, y), key),
                            "the window region and the key disagree at " + std::to_string(x) + "," +
                                std::to_string(y));
        fuzz::Check(window.isEmpty() || button->mask() == window,
                    "the button's window region is not its picture's");
        fuzz::Check((button->ShapeRegion() - window).isEmpty(),
                    "the face region leaves the window region");
        fuzz::Check((button->InnerRegion() - button->ShapeRegion()).isEmpty(),
                    "the inner region leaves the face region");
        delete button;
    }
    fuzz::Check(gdi::LiveObjectCount() == before, "the button left objects behind");
    return 0;
}
