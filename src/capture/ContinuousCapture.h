#pragma once

// The logic of a continuous-capture run, without widgets or timers: the count
// of pictures, the page limit of a timer run, the progress texts and the
// corrections of the two fields. The dialog drives it and performs what it
// answers.

#include <QString>

class ContinuousCaptureRun {
public:
    enum Mode { Timer = 0, Smart = 1 };

    static QString startText();      // "开始拍照"
    static QString countText(int n); // "已拍照 n 张"
    static QString endText(int n);   // "已拍照 n 张, 拍照结束"

    // A field's text read as a decimal integer (not a number reads as 0).
    // Below 1 the field is corrected: replacement holds the text to put into
    // it and value the value that text stands for. An interval longer than
    // the timer can count is corrected to the longest it can.
    struct Field {
        int value = 0;
        QString replacement; // empty: the text stands
    };
    static constexpr int kDefaultInterval = 1; // seconds, for an interval below 1
    static constexpr int kDefaultLimit = 9999; // pictures, for a limit below 1
    static Field intervalField(const QString& text);
    static Field limitField(const QString& text);

    bool running() const { return m_running; }
    Mode mode() const { return m_mode; }
    int count() const { return m_count; }

    // Starts a run; the label's text.
    QString start(Mode mode, int limit);

    // A tick of a timer run. The count is advanced before the caller takes
    // the picture, so a tick that arrives while the picture is being taken
    // (a message box's event loop) sees the run as it will be.
    struct Tick {
        bool capture = false; // take a picture now
        bool finished = false;
        QString label;
    };
    Tick tick();

    // A picture taken for the library's page-turn report in a smart run; the
    // label's text.
    QString pictureTaken();

    // A picture of the run failed: the run ends. The label's text, with the
    // count of the pictures taken.
    QString fail();

    // Stops by hand. The label's new text, or empty to keep the last one (a
    // timer run keeps its count; a smart run ends with the end text).
    QString stop();

private:
    bool m_running = false;
    Mode m_mode = Timer;
    int m_limit = kDefaultLimit;
    int m_count = 0;
};
