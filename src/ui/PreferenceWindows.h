#pragma once

#include <QDialog>

class PreferenceStore;

// The two settings windows: everyday settings, and the scanner, service and update settings that
// few people need to touch. Both store every change at once.
QDialog* makePreferenceWindow(PreferenceStore& preferences, QWidget* parent);
QDialog* makeAdvancedPreferenceWindow(PreferenceStore& preferences, QWidget* parent);
