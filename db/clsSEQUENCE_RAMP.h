#pragma once
// SEQUENCE_RAMP: the timed steps of a sequence in RAMP_NO order, each with a
// temperature set point, tolerance, shear rate and the run-ramp flag.
// ConnectX is the query: set SequenceId first.
#include "db/KeyedRecordSet.h"

class clsSEQUENCE_RAMP : public tz::KeyedRecordSet {
public:
    static constexpr const char* kSelect =
        "SELECT SEQUENCE_RAMP_ID, SEQUENCE_ID, RAMP_NO, RAMP_ELAPSE_TIME, RAMP_TEMP, RAMP_START_ERROR, "
        "SHEAR_RATE, RUN_RAMP  FROM SEQUENCE_RAMP Where SEQUENCE_ID = ?  ORDER BY RAMP_NO ";
    static constexpr const char* kInsert =
        "INSERT INTO  SEQUENCE_RAMP (SEQUENCE_ID, RAMP_NO, RAMP_ELAPSE_TIME, RAMP_TEMP, "
        "RAMP_START_ERROR, SHEAR_RATE, RUN_RAMP) VALUES (?, ?, ?, ?, ?, ?, ?)";
    static constexpr const char* kDelete = "DELETE  FROM SEQUENCE_RAMP  WHERE SEQUENCE_ID = ?";

    clsSEQUENCE_RAMP();

    void Refresh() {}
    // Binds to the connection and reads the steps of the current SequenceId.
    void ConnectX(clsConnection& connection);

    double SEQUENCE_RAMP_ID() const { return m_SEQUENCE_RAMP_ID; }
    void setSEQUENCE_RAMP_ID(double v) { m_SEQUENCE_RAMP_ID = v; }
    double SequenceId() const { return m_SEQUENCE_ID; }
    void setSequenceId(double v) { m_SEQUENCE_ID = v; }
    double RAMPNO() const { return m_RAMP_NO; }
    void setRAMPNO(double v) { m_RAMP_NO = v; }
    double RAMP_ELAPSE_TIME() const { return m_RAMP_ELAPSE_TIME; }
    void setRAMP_ELAPSE_TIME(double v) { m_RAMP_ELAPSE_TIME = v; }
    double RAMP_TEMP() const { return m_RAMP_TEMP; }
    void setRAMP_TEMP(double v) { m_RAMP_TEMP = v; }
    double RAMP_START_ERROR() const { return m_RAMP_START_ERROR; }
    void setRAMP_START_ERROR(double v) { m_RAMP_START_ERROR = v; }
    double SHEAR_RATE() const { return m_SHEAR_RATE; }
    void setSHEAR_RATE(double v) { m_SHEAR_RATE = v; }
    double RUN_RAMP() const { return m_RUN_RAMP; }
    void setRUN_RAMP(double v) { m_RUN_RAMP = v; }

    void SetDefaults() override;
    // Reads the steps of the current SequenceId again and loads the first.
    void GetSeqDetail();
    void AddNew();
    void Update() {}
    // Deletes every step of the current SequenceId.
    void Delete();
    // Eight elements in select order.
    QVariantList All() const override;

protected:
    void assign(int column, const QVariant& value) override;

private:
    double m_SEQUENCE_RAMP_ID = 0;
    double m_SEQUENCE_ID = 0;
    double m_RAMP_NO = 0;
    double m_RAMP_ELAPSE_TIME = 0;
    double m_RAMP_TEMP = 0;
    double m_RAMP_START_ERROR = 0;
    double m_SHEAR_RATE = 0;
    double m_RUN_RAMP = 0;
};
