// "Системные параметры контроллера": table 6, the contract hour, which analysers are
// connected and the rules of the switches to summer and to winter time (month, the day as
// a day of the month or a weekday of a week, hour). Edits go into working values at once;
// the table bytes are written only by a successful accept.
#pragma once
#include "params/ui/formlinkutil.h"
#include "params/sysparams.h"

class QCheckBox;
class QGroupBox;

class TFormSys : public LinkFormBase {
    Q_OBJECT
public:
    explicit TFormSys(QWidget* owner = nullptr);

    void FormShow() override;

    // The controls of one season.
    struct SeasonControls {
        bool summer = true;
        QGroupBox* Group = nullptr;
        QLabel* MonthLabel = nullptr;
        QComboBox* Month = nullptr;    // "Переход запрещен", then the season's months
        QComboBox* DayMode = nullptr;  // "День месяца (число)" / "День недели в месяце"
        QLabel* DayLabel = nullptr;
        QComboBox* Day = nullptr;      // 1..n
        QComboBox* Week = nullptr;     // WeekOrdinalNames
        QComboBox* WeekDay = nullptr;  // WeekDayNames, Sunday first
        QLabel* HourLabel = nullptr;
        QComboBox* Hour = nullptr;     // "%d:00"
        // Working values: month, DstDayRule, hour.
        uint8_t month = 0;
        DstDayRule rule = 0;
        uint8_t hour = 0;
    };

    QLabel* Label1;          // contract hour
    QComboBox* ComboBox1;    // contract hour 0..23, "%d:00"
    QCheckBox* CheckBox1;    // "Наличие подключенного хроматографа", checked, disabled
    QCheckBox* CheckBox2;    // "Наличие подключенного влагомера"
    SeasonControls Summer;
    SeasonControls Winter;

public slots:
    void BitBtn1Click() override;

private:
    void BuildSeason(SeasonControls& s, const char* title, int x);
    // Shows the day controls of a season from its working rule and the hour list.
    void LayOutDays(SeasonControls& s);
    void MonthChange(SeasonControls& s, int position);
    void DayModeChange(SeasonControls& s, int position);
    void DayChange(SeasonControls& s, int position);
    void WeekChange(SeasonControls& s, int position);
    void WeekDayChange(SeasonControls& s, int position);
    void HourChange(SeasonControls& s, int position);

    bool m_Filling = false;  // lists are being filled by the program, not the user
};
