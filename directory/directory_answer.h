#pragma once

#include "directory_station.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QString>

#include <vector>

//! Reading the directory's JSON answers. The bytes come from any server of a public pool, so
//! nothing in them is trusted: wrong types read as empty, texts are cut to a sane length and freed
//! of control characters, and only the shape that is expected is accepted at the top.
namespace qv::directory {

template <typename Item>
struct Parsed {
  std::vector<Item> items;
  //! Empty when the answer had the expected shape.
  QString error;
  bool ok() const { return error.isEmpty(); }
};

//! The document of an answer, or why the bytes are not one: an answer that is not JSON is an
//! error of the server that sent it.
struct JsonAnswer {
  QJsonDocument document;
  QString error;
};
JsonAnswer readJson(const QByteArray& bytes);

//! Stations from a search, byuuid or byurl answer (a JSON array of objects).
Parsed<DirectoryStation> stationsFromJson(const QJsonDocument& document);
Parsed<DirectoryStation> parseStations(const QByteArray& bytes);

//! A countries, languages or tags answer (a JSON array of objects with name and stationcount).
Parsed<Facet> facetsFromJson(const QJsonDocument& document, FacetKind kind);
Parsed<Facet> parseFacets(const QByteArray& bytes, FacetKind kind);

}  // namespace qv::directory
