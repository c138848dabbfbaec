#pragma once

#include <QMainWindow>

class frmJacketeer : public QMainWindow
{
    Q_OBJECT
public:
    explicit frmJacketeer(QWidget *parent = nullptr);
};
