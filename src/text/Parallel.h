#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <functional>

// Makes the bytes of items [from, to) into piece (which comes empty). One maker serves one
// thread, so that whatever it keeps between batches (caches, buffers) needs no lock.
using BatchMaker = std::function<void(qsizetype from, qsizetype to, QByteArray& piece)>;

// Makes the bytes of items [0, count) a batch at a time on every core and hands the pieces to
// sink in item order, from the calling thread: a statement or a listing of a year of documents
// is made in parallel but written as one stream. Only a few batches per core wait for the sink,
// so memory stays bounded however many items there are. newMaker is called once on each working
// thread. Stops at the first piece the sink refuses and returns false; true when all were taken.
bool MakeInOrder(qsizetype count, qsizetype batch, const std::function<BatchMaker()>& newMaker,
                 const std::function<bool(const QByteArray& piece)>& sink);

// Runs work over [0, count) split into one part per core, each of at least minPart items, and
// returns when all parts are done. Below two parts' worth it runs on the calling thread alone.
void RunInParts(qsizetype count, qsizetype minPart,
                const std::function<void(qsizetype from, qsizetype to)>& work);
