// TKSPictureView: a report object showing one graphic, stored in the template and
// in every prepared page, loaded from a file or a binary dataset field when placed.
#pragma once

#include "objects/view.h"
#include "platform/graphic.h"

#include <memory>
#include <string>

enum TKSPictureSource : std::uint8_t { kspsPicture, kspsFileName };
enum TKSBlobType : std::uint8_t { ksbtBitmap, ksbtMetafile, ksbtIcon, ksbtJPEG, ksbtGIF, ksbtAuto };
enum TKSPictureFormat : std::uint8_t { kspfBorland, kspfMicrosoft, kspfAuto };

class TKSPictureView : public TKSReportView {
public:
    TK_CLASS_INFO
    static constexpr int kPartVersion = 1;

    TKSPictureView();

    std::unique_ptr<platform::Graphic> Picture;  // null or empty: no image
    TKSPictureSource PictureSource = kspsPicture;
    TKSBlobType BlobType = ksbtAuto;
    TKSPictureFormat PictureFormat = kspfBorland;

    void ClearContents() override;
    void LoadFromStream(platform::Stream& s) override;
    void SaveToStream(platform::Stream& s) override;
    void Draw(platform::Canvas& canvas) override;
    void PlaceOnEndPage(platform::Stream& s) override;
    void GetBlob() override;

    // The rectangle the graphic is drawn into, from DrawRect and the picture options.
    platform::Rect TargetRect(int pictureWidth, int pictureHeight) const;
    // Image kind of field bytes (ksbtAuto detection).
    static TKSBlobType DetectKind(std::string_view bytes);
    // The data inside a database object wrapper (bytes starting 15 1C); unchanged
    // when the wrapper is damaged.
    static std::string Unwrap(std::string_view bytes);

private:
    void LoadBlob(std::string bytes, TKSBlobType kind);
};
