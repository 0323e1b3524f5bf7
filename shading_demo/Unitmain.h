// Lustrane's main window: one model placed 12 units before the eye, turning by itself, tilted and turned by
// dragging, with a light that can circle it and the same three switches as the viewer.
#pragma once

#include "FormWindow.h"
#include "SceneFiles.h"

class TForm1 : public TFormWindow {
public:
    explicit TForm1(TSceneFiles scene);  // one document: the model
    ~TForm1() override;

    const TSceneFiles Scene;

    Fl_Check_Button* CheckBox1;
    Fl_Check_Button* CheckBox2;
    Fl_Check_Button* CheckBox3;
    Fl_Check_Button* CheckBox4;

    void FormCreate() override;
    void FormResize() override;
    void FormClose() override;
    void ApplicationIdle() override;
    void TimerTick() override { TimerTimer(); }
    void TimerTimer();
    void PanelGraphicsMouseDown(int x, int y) override;
    void PanelGraphicsMouseMove(int x, int y) override;
    void PanelGraphicsMouseUp(int x, int y) override;
    void CheckBox1Click();
    void CheckBox2Click();
    void CheckBox3Click();
};
