-- Vehicle brands and models: Tip 'A' is a passenger car.
CREATE TABLE Araclar (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  Tip VARCHAR(1) NOT NULL,
  Marka VARCHAR(60) NOT NULL,
  Model VARCHAR(60) NOT NULL
);
CREATE INDEX Araclar_Marka ON Araclar (Tip, Marka, Model);
