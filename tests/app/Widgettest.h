#pragma once

#include "Testumgebung.h"

#include <QApplication>
#include <QTest>

#define KABEL_WIDGET_TEST_MAIN(Klasse) KABEL_TEST_MAIN_MIT(QApplication, Klasse)
