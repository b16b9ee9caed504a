// What the Split & Join window's tests share: dialogs answered at once by a
// fake that remembers what was asked, the real file system with a chosen
// answer to "removable?", and small file helpers.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QList>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <QtTest>
#include <algorithm>
#include <functional>

#include "platform/EnvWrapper.h"
#include "windows/Dialogs.h"

namespace unit2test {

struct Box {
  QString text;
  TDialogs::TMsgIcon icon;
  TDialogs::TMsgButtons buttons;
};

// Answers every dialog at once and remembers what was asked.
class FakeDialogs : public TDialogs {
 public:
  QStringList messages;
  QList<Box> boxes;
  // The answer to a box; by default OK, or Yes for a Yes/No question.
  std::function<TMsgResult(const QString&)> answer;
  QList<QStringList> openAnswers;
  QStringList openFilters;
  QString saveAnswer;
  int saveCalls = 0;
  QString directoryAnswer;
  QStringList shown;  // every box and message, in the order they came

  void ShowMessage(QWidget*, const QString& text) override {
    messages << text;
    shown << text;
  }
  TMsgResult MessageBox(QWidget*, const QString& text, TMsgIcon icon, TMsgButtons buttons) override {
    boxes << Box{text, icon, buttons};
    shown << text;
    if (answer) return answer(text);
    return buttons == mbYesNo ? idYes : idOk;
  }
  QStringList GetOpenFileNames(QWidget*, const QString&, const QString& filter) override {
    openFilters << filter;
    return openAnswers.isEmpty() ? QStringList() : openAnswers.takeFirst();
  }
  QString GetSaveFileName(QWidget*, const QString&, const QString&) override {
    ++saveCalls;
    return saveAnswer;
  }
  QString GetDirectory(QWidget*, const QString&) override { return directoryAnswer; }

  int count(const QString& text) const {
    return int(std::count_if(boxes.begin(), boxes.end(), [&](const Box& b) { return b.text == text; }));
  }
};

// The real file system, with the removable-media answer chosen by the test.
class FakeEnv : public parvex::platform::EnvWrapper {
 public:
  FakeEnv() : EnvWrapper(parvex::platform::Env::Default()) {}
  bool removable = false;
  bool IsRemovable(const std::string&) override { return removable; }
};

inline QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteFile(const QString& path, const QByteArray& data, const QDateTime& time = {}) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(data);
  file.flush();  // a later flush would stamp the file again
  if (time.isValid()) QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
}

inline QByteArray RandomBytes(int size, quint32 seed) {
  QRandomGenerator random(seed);
  QByteArray data(size, Qt::Uninitialized);
  for (char& c : data) c = char(random.generate() & 0xff);
  return data;
}

inline QByteArray Le32(qint32 v) {
  QByteArray bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = char((quint32(v) >> (8 * i)) & 0xff);
  return bytes;
}

}  // namespace unit2test
