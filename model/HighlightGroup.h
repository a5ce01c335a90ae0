#pragma once
#include "model/ShapeIdGroup.h"

// The shapes marked for the user's attention (ID -7, "Highlights"), listed without being owned.
// Each is drawn again with the highlight pen; images and texts are shaded with a pattern in the
// highlight colour. With blinking on, a timer of the control's window toggles the highlight.
class CHighlightGroup : public CShapeIdGroup
{
public:
    // The window timer of the blinking, and the shortest period.
    static constexpr UINT_PTR kBlinkTimerId = 1;
    static constexpr int kMinBlinkTimeout = 100;

    CHighlightGroup(int id, CShapeHost* control);
    ~CHighlightGroup() override;

    // Kills a running timer; with on starts one on the control's window (when it has one).
    void SetBlinking(bool on);
    int GetShadeType() const { return m_shadeType; }
    void SetShadeType(int type) { m_shadeType = type; }
    int GetBlinkTimeout() const { return m_blinkTimeout; }
    // At least 100 ms; a running blink restarts with the new period.
    void SetBlinkTimeout(int milliseconds);
    int GetBlinkType() const { return m_blinkType; }
    void SetBlinkType(int type) { m_blinkType = type; }
    bool GetBlinkOn() const { return m_blinkOn != 0; }
    void SetBlinkOn(bool on) { SetBlinking(on); }
    int GetBlinkPhase() const { return m_blinkPhase; }
    UINT_PTR GetBlinkTimer() const { return m_blinkTimer; }
    // The control's timer message: true when it was the blink timer (the phase toggles and the
    // control redraws).
    bool OnBlinkTimer(UINT_PTR timerId);

    int AddChild(CShape* child, int* outIndex, int adoptArg, bool move) override;
    int RemoveChildAt(int index, bool destroy) override;
    int RemoveChild(CShape* child) override;
    int Draw(CDrawContext& context) override;
    HRESULT SaveToDB(COdbcSession& session, int siteId, int scenarioId, DWORD flags) override;
    void GetCoClassId(CLSID* clsid) override;

private:
    void StopWhenEmpty();
    // Shades the shape's bounds (an image or a text; a reference's visible images and texts).
    bool Shade(CDrawContext& context, CShape* shape, COLORREF colour, int depth);

    int m_blinkType;
    int m_blinkPhase = 1;
    int m_shadeType;
    UINT_PTR m_blinkTimer = 0;
    int m_blinkOn = 0;
    int m_blinkTimeout = 500;
};
