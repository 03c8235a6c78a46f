#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <functional>

#include "core/picturedata.h"
#include "core/dither.h"
#include "core/monochrome.h"

namespace tobrin {

class ImageLoader;

// Everything of the import dialog but its widgets: the options as the
// controls hold them, the source and its display copy, the conversion into
// the target preview and the transfer into the picture. The dialog and the
// command-line import drive this one class, so they agree.
//
// Images: Source (as loaded or pasted), Disp (the display copy, the only
// image the conversion reads), Temp (the pixel pass), Temp2 (its still
// snapshot) and Dest (the target, HSize x VSize picture pixels). All but
// Source are Format_RGB32 with white as background.
class ImportPipeline {
public:
    static constexpr int kToleranceMin = 1;
    static constexpr int kToleranceMax = 255;
    static constexpr int kToleranceInitial = 155;
    static constexpr int kHSizeMin = 8;
    static constexpr int kHSizeMax = kMaxWidth;
    static constexpr int kHSizeInitial = 40;
    static constexpr int kVSizeMin = 4;
    static constexpr int kVSizeMax = kMaxHeight;
    static constexpr int kVSizeInitial = 32;
    // The box the display copy must fit, frame included, in window units.
    static constexpr int kBoxWidthUnits = 2900;
    static constexpr int kBoxHeightUnits = 1450;

    ImportPipeline();

    // What the view hears about; each may be left empty.
    // A check box option or Match size's availability was changed by the
    // pipeline itself (not by the caller's setter).
    std::function<void()> OptionsChanged;
    // HSize or VSize took a new value and Dest was resized: the view resizes
    // its target box, rewrites the size label and restarts its redraw delay.
    std::function<void()> SizeChanged;
    // A conversion starts / has finished (busy pointer and caption).
    std::function<void()> ConvertBegin;
    std::function<void()> ConvertEnd;

    // The check boxes. The setters only record the state; a click handler
    // calls ConvertImage afterwards.
    bool uRed() const { return use_.red; }
    bool uGreen() const { return use_.green; }
    bool uBlue() const { return use_.blue; }
    Components components() const { return use_; }
    void SetRed(bool on) { use_.red = on; }
    void SetGreen(bool on) { use_.green = on; }
    void SetBlue(bool on) { use_.blue = on; }
    bool Invert() const { return invert_; }
    void SetInvert(bool on) { invert_ = on; }
    bool Aspect() const { return aspect_; }
    void SetAspect(bool on) { aspect_ = on; }
    bool MatchSize() const { return matchSize_; }
    // Checking is refused while Match size is unavailable.
    void SetMatchSize(bool on) { matchSize_ = on && matchSizeAvailable_; }
    bool MatchSizeAvailable() const { return matchSizeAvailable_; }

    // How grey becomes black and white; None (the plain threshold) at first.
    // The setter only records it; the view converts afterwards.
    Dither DitherMode() const { return dither_; }
    void SetDither(Dither dither) { dither_ = dither; }

    // "Full resolution" (off at first, so the results stay those of the
    // display copy): the conversion reads the source itself at the drawn
    // size instead of the display copy, which never exceeds about 200 x 100
    // pixels: the threshold is taken per source pixel and shrunk keeping
    // black, a dither averages the source's areas. A black-and-white source
    // of up to 240 x 120 then imports pixel for pixel. A JPEG or PNG too
    // large to be held whole is read again, once, into a copy of at most
    // kFullCopyWidth x kFullCopyHeight (shrunk keeping dark pixels). The
    // setter only records it.
    static constexpr int kFullCopyWidth = 4 * kMaxWidth;
    static constexpr int kFullCopyHeight = 4 * kMaxHeight;
    bool FullResolution() const { return fullResolution_; }
    void SetFullResolution(bool on) { fullResolution_ = on; }

    // The threshold, kept to 1..255; the view converts after its delay.
    int Tolerance() const { return tolerance_; }
    void SetTolerance(int value);

    // The size sliders' change handling. The value is kept to the slider's
    // range; when it differs from the current one, Dest takes the new size,
    // SizeChanged is heard and, if Dest's size now differs from the source's,
    // Match size is unchecked, which converts at once. Returns whether the
    // value changed.
    int HSize() const { return hSize_; }
    int VSize() const { return vSize_; }
    bool SetHSize(int value);
    bool SetVSize(int value);
    // The size a dialog opens with (remembered from an earlier one): sets
    // both sliders and Dest without the change handling, so Match size
    // stays as it is.
    void RestoreSize(int width, int height);

    // The source. Load forgets the current source first (BeginLoad), then
    // takes the chosen file (FinishLoad; an empty name is a cancelled file
    // dialog). FinishLoad returns false when the file cannot be read; what
    // was done before the failure stays, including the chosen name, so a
    // previous display copy keeps converting.
    void BeginLoad();
    bool FinishLoad(const QString& fileName, const ImageLoader& loader, QString* error = nullptr);
    // A clipboard bitmap becomes the source; a null image changes nothing
    // (and gives false).
    bool Paste(const QImage& image);
    bool HasSource() const;
    QString SourceFile() const { return sourceFile_; }

    // One conversion of Disp into Dest with the current options. Does
    // nothing without a source. With a dither, Temp and Temp2 hold Disp's
    // grey levels (as grey pixels) and Dest is drawn from them by area
    // averaging and dithering (core/dither.h) instead of the black-keeping
    // stretch. Option changes it makes itself notify
    // OptionsChanged / SizeChanged but start no run of their own.
    void ConvertImage();
    // Completed conversions since construction.
    int Conversions() const { return conversions_; }
    bool Converting() const { return running_; }

    // A large JPEG or PNG is loaded straight into its display copy and
    // never held whole: Source() is then null and only its size is known.
    // A loaded source is kept in its decoder's format, transparency not yet
    // laid over white (no second full-size copy); a pasted one is laid over
    // white (an opaque one is kept as it came, in its own format).
    const QImage& Source() const { return source_; }
    QSize SourceSize() const { return sourceSize_; }
    const QImage& Disp() const { return disp_; }
    const QImage& Temp() const { return temp_; }
    const QImage& Temp2() const { return temp2_; }
    const QImage& Dest() const { return dest_; }

    // Import: PicData cells 0..HSize-1 x 0..VSize-1 become 1 where Dest is
    // exactly black, 0 elsewhere; the cells outside keep their values. Then
    // MaxX = HSize - 1 and MaxY = VSize - 1.
    void GetImport(PictureData& d) const;

    // The display box in screen pixels (frame included).
    static QSize DisplayBox();
    // The image area of the display copy of a w x h source.
    static QSize DisplayCopySize(int w, int h);

private:
    // opaque: every pixel of image is opaque (or is taken as such, as
    // Format_RGB32 is), so its rows need no laying over white.
    void SetSource(const QImage& image, bool opaque);
    // What the full-resolution conversion reads: the source, or the copy
    // of a source too large to hold; null when there is none.
    const QImage& FullSource();
    void SetShrunkSource(const QImage& disp, QSize sourceSize);
    void UpdateMatchSizeAvailability();
    void ResizeDest(int width, int height);
    void CheckMatchSize();
    void Notify(const std::function<void()>& hook) const
    {
        if (hook)
            hook();
    }

    Components use_;
    int tolerance_ = kToleranceInitial;
    Dither dither_ = Dither::None;
    bool invert_ = false;
    bool aspect_ = false;
    bool matchSize_ = true;
    bool matchSizeAvailable_ = true;
    bool fullResolution_ = false;
    int hSize_ = kHSizeInitial;
    int vSize_ = kVSizeInitial;

    QString sourceFile_;
    bool pasted_ = false;
    QImage source_;
    QSize sourceSize_;
    QImage disp_;
    QImage fullCopy_;
    std::function<QImage()> readFullCopy_;
    QImage temp_;
    QImage temp2_;
    QImage dest_;

    bool running_ = false;
    int conversions_ = 0;
};

}  // namespace tobrin
