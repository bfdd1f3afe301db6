// The operator-intervention log view: one change of one field of a controller table per
// row (date, time, parameter name, old and new value, unit, operator).
#pragma once
#include "data/ui/formala.h"

class TFormAud : public TLogViewForm {
    Q_OBJECT
public:
    explicit TFormAud(QWidget* parent = nullptr);

    // Records to grid.
    void FillAuditGrid();
    // Text rows to grid.
    void FillAuditGridFromText();

protected:
    void FillGrid() override;
    // Built from the grid at the moment of saving.
    std::vector<uint8_t> SaveBody() const override;
};
