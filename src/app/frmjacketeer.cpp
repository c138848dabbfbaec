#include "app/frmjacketeer.h"

frmJacketeer::frmJacketeer(QWidget *parent) : QMainWindow(parent) {}
