-- Constants lookup file; kept for older installations, read by no operation.
CREATE TABLE Sabitler (
  ID INTEGER PRIMARY KEY AUTOINCREMENT,
  Grup VARCHAR(30) NOT NULL,
  Kod VARCHAR(10),
  Aciklama VARCHAR(100)
);
