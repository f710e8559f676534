#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include <QAbstractItemModelTester>
#include <QStringList>
#include <QtGlobal>
#include <gtest/gtest.h>

#include "result_list_model.h"

// Runs QAbstractItemModelTester on a model for the life of this object and keeps what it
// reports, so that a broken model contract fails the test that broke it rather than aborting
// the whole binary.
class CheckedModel {
public:
    explicit CheckedModel(QAbstractItemModel* model)
        : m_capture(m_reports),
          m_tester(model, QAbstractItemModelTester::FailureReportingMode::Warning) {}

    QString reports() const { return m_reports.join(QLatin1Char('\n')); }

private:
    class MessageCapture {
    public:
        explicit MessageCapture(QStringList& reports) {
            s_reports = &reports;
            m_previous = qInstallMessageHandler(collect);
        }
        ~MessageCapture() {
            qInstallMessageHandler(m_previous);
            s_reports = nullptr;
        }
        MessageCapture(const MessageCapture&) = delete;
        MessageCapture& operator=(const MessageCapture&) = delete;

    private:
        static void collect(QtMsgType type, const QMessageLogContext&, const QString& message) {
            if (type != QtDebugMsg && type != QtInfoMsg)
                s_reports->append(message);
        }

        inline static QStringList* s_reports = nullptr;
        QtMessageHandler m_previous = nullptr;
    };

    QStringList m_reports;
    MessageCapture m_capture;
    QAbstractItemModelTester m_tester;
};

// A result list watched by CheckedModel for the whole test.
class ModelFixture : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_TRUE(m_checks.reports().isEmpty()) << m_checks.reports().toStdString();
    }

    void addRows(std::initializer_list<std::string_view> titles) {
        for (std::string_view title : titles)
            m_model.insertRow(title);
    }

    std::vector<std::string> titles() const {
        std::vector<std::string> result;
        for (int row = 0; row < m_model.rowCount(); ++row)
            result.push_back(m_model.rowTitle(row));
        return result;
    }

    std::vector<ResultListModel::Row> rows() const {
        std::vector<ResultListModel::Row> result(static_cast<std::size_t>(m_model.rowCount()));
        for (int row = 0; row < m_model.rowCount(); ++row)
            for (int column = 0; column < ResultListModel::columns; ++column)
                result[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] =
                    m_model.cellText(row, column);
        return result;
    }

    void selectRow(int row) {
        m_model.selectionModel()->select(
            m_model.index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }

    ResultListModel m_model;
    CheckedModel m_checks{&m_model};
};
