#pragma once

#include <QDate>
#include <QList>
#include <QString>

// The exam chart's day axis: whole days counted from the first exam's day, each day's label
// at the day itself, and every exam a point of its own.

// How wide the exams of one day spread around their day, in days: several exams on one day
// stand side by side instead of on one vertical line, and stay nearer their own day than any
// other.
constexpr double SameDaySpread = 0.6;

// Where each exam goes along the axis, given the days of the exams in the order they were
// taken: its day's number from the first day, the exams of one day spread evenly across
// SameDaySpread around it.
QList<double> ExamPositions(const QList<QDate>& days);

// Days from one label to the next, so that at most `most` labels stand along an axis whose
// last day is lastDay: every day, every other day, weekly, fortnightly, then whole months of 30.
int DayLabelStep(int lastDay, int most);

// A day's label: month and day, with the year when the exams span more than one.
QString DayLabel(const QDate& day, bool withYear);
