#pragma once

// Shows one node's image as it was last generated, as a close-up view (CloseUpView.h): at 1:1
// from the top-left corner, tiled over the whole view, when it opens. The image's row 0 is its bottom
// row. It also keeps the picture from before the last change of this image: holding the space bar
// shows that one instead. The pixel under the mouse and one pinned by a click are read out
// (readoutChanged).

#include "gui/closeup/CloseUpView.h"
#include "model/VisualNode.h"

#include <QString>

class Material;

class ResultView : public CloseUpView {
    Q_OBJECT

public:
    ResultView(QWidget* parent, const Material& material, NodeId node);

    // Copies the node's image as it is now and repaints; the view shows that copy until the next
    // refresh (rendering may run meanwhile). Nothing when the node is gone. A copy that differs from
    // the last one makes the last one the picture from before.
    void refresh();
    // The pixels shown, alpha included: what "Export bitmap..." writes, never an image being rendered
    // (nor the picture from before, even while it is shown).
    const Velvor::Image& getShownPixels() const { return pixels_; }

    // Shows the picture from before the last change (when there is one) or the current one.
    void showBefore(bool before);
    bool isShowingBefore() const { return showingBefore_; }
    bool hasBefore() const { return before_.getPixelCount() > 0; }

    // The reading of the pixel under the mouse and of the pinned one, from the picture shown.
    QString hoverText() const;
    QString pinnedText() const;
    // What the alpha channel of the current image holds.
    QString alphaNote() const { return alphaNote_; }

signals:
    void readoutChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void showPicture();
    QString readingAt(const std::optional<PixelPlace>& place) const;

    const Material& material_;
    NodeId node_;
    Velvor::Image pixels_{0, 0};
    Velvor::Image before_{0, 0};
    bool showingBefore_ = false;
    std::optional<QPoint> pointer_; // where the mouse is over the view
    std::optional<PixelPlace> hovered_;
    std::optional<PixelPlace> pinned_;
    QString alphaNote_;
};
