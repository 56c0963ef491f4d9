#pragma once
// What the design controller needs from the frame "Cooking": the design
// option and the texts of the load and swing fields, and ways to show the
// design's read-outs. Plain values only, so the controller runs against the
// frame on screen or a stub.

#include "render/comparison_sets.h"

#include <QString>

#include <optional>
#include <string>

namespace zov::gui {

// The read-outs of a stage design; an absent text hides its label.
struct DesignReadouts {
    std::optional<std::string> pd0;   // LbPd0
    std::optional<std::string> gm;    // Gm
    std::optional<std::string> rp;    // Req
    std::optional<std::string> mu;    // Mu
    std::optional<std::string> vout;  // LbVout
    std::optional<std::string> gain;  // LbGain
    std::optional<std::string> pout;  // LbApo
    std::optional<std::string> h2;    // LbH2
};

class CookView {
public:
    virtual ~CookView() = default;

    virtual CookOption option() const = 0;
    virtual std::string loadText() const = 0;
    virtual void setLoadText(const std::string& text) = 0;
    virtual std::string vinText() const = 0;
    virtual void setVinText(const QString& text) = 0;
    virtual void setLoadCaption(const QString& caption) = 0;
    // The input focus goes to the load field.
    virtual void focusLoad() = 0;

    virtual void showDesignReadouts(const DesignReadouts& readouts) = 0;
    // LbPout, the power of a swing from the operating point to the pointer.
    virtual void showCursorPower(const std::optional<std::string>& text) = 0;
};

}  // namespace zov::gui
