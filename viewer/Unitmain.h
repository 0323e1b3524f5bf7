// Vantrell's main window: the scene of its documents (its own four files, or the user's), the walk camera, and
// the three switches.
#pragma once

#include "FormWindow.h"
#include "SceneFiles.h"

class TForm1 : public TFormWindow {
public:
    explicit TForm1(TSceneFiles scene);
    ~TForm1() override;

    const TSceneFiles Scene;

    Fl_Check_Button* CheckBox1;
    Fl_Check_Button* CheckBox2;
    Fl_Check_Button* CheckBox3;
    Fl_Box* Label1;

    void FormCreate() override;
    void FormResize() override;
    void FormClose() override;
    void FormKeyDown(int key) override;
    void FormKeyUp(int key) override;
    void ApplicationIdle() override;
    void TimerTick() override { Timer1Timer(); }
    void Timer1Timer();
    void PanelGraphicsMouseDown(int x, int y) override;
    void PanelGraphicsMouseMove(int x, int y) override;
    void PanelGraphicsMouseUp(int x, int y) override;
    void CheckBox1Click();
    void CheckBox2Click();
    void CheckBox3Click();
};
