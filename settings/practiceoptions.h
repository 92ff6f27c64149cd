#pragma once

#include "settings/optionflags.h"
#include "settings/preferences.h"

#include <QWidget>

class QCheckBox;
class QDoubleSpinBox;
class QSpinBox;

// The practice settings kept in [Preferences] (settings/preferences.h), as
// the options dialog's practice page shows them.
struct PracticeSettings {
    bool sentenceMode = false;
    int passMark = 0;            // whole percent
    double sentenceLength = 0.0; // seconds before a long sentence is split
    int playsPerSentence = 0;    // 0: loops until Enter
    bool hideAnswer = false;
    bool exactLoop = false;
    double rewindOnPause = 0.0; // seconds

    // Each at the default of its preference.
    static PracticeSettings defaults();
    bool operator==(const PracticeSettings &) const = default;
};

// The practice page ("练习"), beside the options of the dictation.
class PracticePage : public QWidget
{
    Q_OBJECT
public:
    explicit PracticePage(QWidget *parent = nullptr);

    void setSettings(const PracticeSettings &settings);
    PracticeSettings settings() const;

private:
    QCheckBox *m_sentenceMode;
    QSpinBox *m_passMark;
    QDoubleSpinBox *m_sentenceLength;
    QSpinBox *m_playsPerSentence;
    QCheckBox *m_hideAnswer;
    QCheckBox *m_exactLoop;
    QDoubleSpinBox *m_rewindOnPause;
};

// Shows the options dialog: the page of the seven option flags, and the
// practice page beside it. On OK both take the controls' states and true is
// returned.
bool editOptions(TOptionFlags &flags, PracticeSettings &practice, QWidget *parent);
