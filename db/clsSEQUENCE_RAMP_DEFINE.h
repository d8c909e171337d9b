#pragma once
// SEQUENCE_RAMP_DEFINE: the shear-ramp list of a sequence in RAMP_STEP_NO
// order, run after every step whose RUN_RAMP is 1.
// ConnectX is the query: set SequenceId first.
#include "db/KeyedRecordSet.h"

class clsSEQUENCE_RAMP_DEFINE : public tz::KeyedRecordSet {
public:
    static constexpr const char* kSelect =
        "SELECT SEQUENCE_DEF_ID, SEQUENCE_ID, RAMP_STEP_NO, RAMP_SHEAR_RATE  "
        "FROM SEQUENCE_RAMP_DEFINE Where SEQUENCE_ID = ? ORDER BY RAMP_STEP_NO";
    static constexpr const char* kInsert =
        "INSERT INTO  SEQUENCE_RAMP_DEFINE (SEQUENCE_ID, RAMP_STEP_NO, RAMP_SHEAR_RATE ) VALUES (?, ?, ?)";
    static constexpr const char* kDelete = "DELETE  FROM SEQUENCE_RAMP_DEFINE  WHERE SEQUENCE_ID = ?";

    clsSEQUENCE_RAMP_DEFINE();

    void Refresh() {}
    // Binds to the connection and reads the ramp rows of the current SequenceId.
    void ConnectX(clsConnection& connection);

    double SEQUENCE_DEF_ID() const { return m_SEQUENCE_DEF_ID; }
    void setSEQUENCE_DEF_ID(double v) { m_SEQUENCE_DEF_ID = v; }
    double SequenceId() const { return m_SEQUENCE_ID; }
    void setSequenceId(double v) { m_SEQUENCE_ID = v; }
    double RAMP_STEP_NO() const { return m_RAMP_STEP_NO; }
    void setRAMP_STEP_NO(double v) { m_RAMP_STEP_NO = v; }
    double RAMP_SHEAR_RATE() const { return m_RAMP_SHEAR_RATE; }
    void setRAMP_SHEAR_RATE(double v) { m_RAMP_SHEAR_RATE = v; }
    // Number of ramp rows of the last query.
    qint32 RampSteps() const { return rowCount(); }

    void SetDefaults() override;
    // Reads the ramp rows of the current SequenceId again and loads the first.
    void GetSeqDetail();
    void AddNew();
    void Update() {}
    // Deletes every ramp row of the current SequenceId.
    void Delete();
    // Four elements in select order.
    QVariantList All() const override;

protected:
    void assign(int column, const QVariant& value) override;

private:
    double m_SEQUENCE_DEF_ID = 0;
    double m_SEQUENCE_ID = 0;
    double m_RAMP_STEP_NO = 0;
    double m_RAMP_SHEAR_RATE = 0;
};
