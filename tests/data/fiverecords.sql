INSERT INTO ARACKAYIT (ID, MOTORNO, ESKIPLAKA, YENIPLAKA, SASENO) VALUES
  (1, 'M1', '34ABC1', '06A1', 'S1'), (2, 'M2', '06XY2', NULL, 'S2'), (3, 'M3', 'YOK', '35B3', ' S3 '),
  (4, 'M4', '32IS4', '', NULL), (5, 'M5', '01AA5', '', '');
INSERT INTO ARACSAHIPLERI (ARACID, SAHIPNO, AD, SOYAD) VALUES
  (1, 2, 'İkinci', 'Sahip'), (1, 1, 'Ayşe', 'Yılmaz'), (2, 1, 'Tüzel Ltd. Şti.', NULL),
  (3, 1, NULL, 'Öztürk'), (4, 1, 'ısparta', 'ıspartalı')
