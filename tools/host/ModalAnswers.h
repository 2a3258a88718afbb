// Answers the text prompts, choices, file dialogs and message boxes the
// plugin opens inside a step.
// Their modal loops run in the host's thread, within the click that opened
// them, so a thread timer of the host, which every message loop of the thread
// dispatches, finds the question and answers it from the queue.
#pragma once

#include <windows.h>

#include <deque>
#include <string>

#include "tools/host/ScriptParser.h"

namespace kivo::host {

class ModalAnswers {
 public:
  ModalAnswers();
  ~ModalAnswers();
  ModalAnswers(const ModalAnswers&) = delete;
  ModalAnswers& operator=(const ModalAnswers&) = delete;

  void Queue(script::QueueAnswer answer) { answers_.push_back(std::move(answer)); }
  // The answers no question took, for the report; empty when all were used.
  std::string DescribeUnused() const;
  // Every answer taken and no question open.
  bool AllAnswered() const;
  // What went wrong with a question since the last call; empty when nothing did.
  std::string TakeFault();

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  void Poll();
  void Dismiss(HWND question, const std::string& fault);
  void AnswerMenu(HWND menu, const script::QueueAnswer& answer);

  std::deque<script::QueueAnswer> answers_;
  std::string fault_;
  UINT_PTR timer_ = 0;
  HWND waiting_ = nullptr;  // the question that found no answer yet
  ULONGLONG waitingSince_ = 0;
};

}  // namespace kivo::host
