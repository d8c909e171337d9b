#pragma once
// SEQUENCE_INFO: one header row per test sequence (unique name, ramp timing,
// recording period, automatic shut-down). ConnectX lists the names.
#include "db/RecordSet.h"

#include <optional>

class clsSEQUENCE_INFO : public tz::RecordSet {
public:
    static constexpr const char* kSelectByName =
        "SELECT SEQUENCE_ID, SEQUENCE_NAME, TIME_BEFORE_READ, RAMP_SAMPLE_RATE, SAMPLE_POINTS_AVERAGE, "
        "SHUT_DOWN_ATIME, SHUT_DOWN_VISC, SAMPLE_INTERVAL  FROM SEQUENCE_INFO Where SEQUENCE_NAME = ?";
    static constexpr const char* kNameList =
        "SELECT SEQUENCE_NAME  FROM SEQUENCE_INFO ORDER BY SEQUENCE_NAME";
    static constexpr const char* kInsert =
        "INSERT INTO  SEQUENCE_INFO (SEQUENCE_NAME, TIME_BEFORE_READ, RAMP_SAMPLE_RATE, "
        "SAMPLE_POINTS_AVERAGE, SHUT_DOWN_ATIME, SHUT_DOWN_VISC, SAMPLE_INTERVAL) VALUES (?, ?, ?, ?, ?, ?, ?)";
    static constexpr const char* kUpdate =
        "UPDATE SEQUENCE_INFO SET SEQUENCE_NAME = ?, TIME_BEFORE_READ = ?, RAMP_SAMPLE_RATE = ?, "
        "SAMPLE_POINTS_AVERAGE = ?, SHUT_DOWN_ATIME = ?, SHUT_DOWN_VISC = ?, SAMPLE_INTERVAL = ?  "
        "WHERE SEQUENCE_ID = ?";
    static constexpr const char* kDelete = "DELETE  FROM SEQUENCE_INFO  WHERE SEQUENCE_NAME = ?";

    clsSEQUENCE_INFO();

    // Runs the name list again; the snapshot is left as it was.
    void Refresh();
    // Binds to the connection and reads every sequence name (name order) into
    // the snapshot; read them with JustName(). No sequence: an empty list.
    void ConnectX(clsConnection& connection);

    double SEQUENCE_ID() const { return m_SEQUENCE_ID; }
    void setSEQUENCE_ID(double v) { m_SEQUENCE_ID = v; }
    QString SEQUENCE_NAME() const { return m_SEQUENCE_NAME; }
    void setSEQUENCE_NAME(const QString& v) { m_SEQUENCE_NAME = v; }
    double TIME_BEFORE_READ() const { return m_TIME_BEFORE_READ; }
    void setTIME_BEFORE_READ(double v) { m_TIME_BEFORE_READ = v; }
    double RAMP_SAMPLE_RATE() const { return m_RAMP_SAMPLE_RATE; }
    void setRAMP_SAMPLE_RATE(double v) { m_RAMP_SAMPLE_RATE = v; }
    double SAMPLE_POINTS_AVERAGE() const { return m_SAMPLE_POINTS_AVERAGE; }
    void setSAMPLE_POINTS_AVERAGE(double v) { m_SAMPLE_POINTS_AVERAGE = v; }
    double SHUT_DOWN_ATIME() const { return m_SHUT_DOWN_ATIME; }
    void setSHUT_DOWN_ATIME(double v) { m_SHUT_DOWN_ATIME = v; }
    double SHUT_DOWN_VISC() const { return m_SHUT_DOWN_VISC; }
    void setSHUT_DOWN_VISC(double v) { m_SHUT_DOWN_VISC = v; }
    // Held as a whole number of seconds: a written value is rounded to the
    // nearest integer, halves to even (60.5 -> 60, 61.5 -> 62). Throws
    // tz::DbError "Overflow" outside the 32-bit range.
    double SAMPLE_INTERVAL() const { return m_SAMPLE_INTERVAL; }
    void setSAMPLE_INTERVAL(double v) { m_SAMPLE_INTERVAL = roundToInt(v); }

    // The snapshot as [column 0][row]: the sequence names after ConnectX.
    QList<QVariantList> JustName() const { return snapshotByColumn(); }

    void SetDefaults() override;
    // Select by the current SEQUENCE_NAME; row 0 loaded, or defaults and Eof().
    void GetSeqDetail();
    void AddNew();
    // Writes every other column (the name too) to the row of SEQUENCE_ID.
    void Update();
    // Deletes the header row(s) of the current SEQUENCE_NAME. Steps and ramp
    // rows are not touched: use tz::deleteSequence to remove a whole sequence.
    void Delete();
    // Eight elements in select order; SAMPLE_INTERVAL is an int element.
    QVariantList All() const override;

protected:
    void assign(int column, const QVariant& value) override;

private:
    std::optional<QSqlQuery> m_selectByName, m_nameList, m_insert, m_update, m_delete;

    double m_SEQUENCE_ID = 0;
    QString m_SEQUENCE_NAME;
    double m_TIME_BEFORE_READ = 0;
    double m_RAMP_SAMPLE_RATE = 0;
    double m_SAMPLE_POINTS_AVERAGE = 0;
    double m_SHUT_DOWN_ATIME = 0;
    double m_SHUT_DOWN_VISC = 0;
    qint32 m_SAMPLE_INTERVAL = 0;
};
