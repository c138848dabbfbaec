#pragma once

#include "widgets/controlarrayname.h"

#include <QTreeWidget>

// One of a window's pair of folder trees (CD and DVD): a single column of
// folder and hit nodes with their small pictures, no header.
inline QTreeWidget *newFolderTreeControl(QWidget *parent, const char *name, int index,
                                         int minimumWidth)
{
    auto *tree = new QTreeWidget(parent);
    tree->setObjectName(controlArrayName(name, index));
    tree->setHeaderHidden(true);
    tree->setColumnCount(1);
    tree->setUniformRowHeights(true);
    tree->setIconSize(QSize(16, 16));
    tree->setMinimumWidth(minimumWidth);
    return tree;
}
