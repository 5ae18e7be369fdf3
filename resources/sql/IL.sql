-- Provinces lookup file; kept for older installations, read by no operation.
CREATE TABLE Iller (
  Kod VARCHAR(2) PRIMARY KEY,
  Ad VARCHAR(30) NOT NULL
);
