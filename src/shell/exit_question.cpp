#include "exit_question.h"

#include <QMessageBox>

bool confirmExit() {
    QMessageBox question(QMessageBox::NoIcon, QStringLiteral("是否退出？"),
                         QStringLiteral("您确认要退出吗？"), QMessageBox::Ok | QMessageBox::Cancel);
    question.setObjectName(QStringLiteral("exitQuestion"));
    question.setDefaultButton(QMessageBox::Ok);
    question.setEscapeButton(QMessageBox::Cancel);
    question.setWindowModality(Qt::ApplicationModal);
    return question.exec() == QMessageBox::Ok;
}
