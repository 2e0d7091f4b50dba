-- The demo hotel database: the tables of the hotel application, for hotel 1 "Hotel Bellavista"
-- and hotel 2. Dates are text yyyymmdd, as the hotel application stores them.
CREATE TABLE Hotel (NumeroHotel INTEGER NOT NULL, Nome TEXT, Citta TEXT, PRIMARY KEY (NumeroHotel));
INSERT INTO Hotel VALUES (1, 'Hotel Bellavista', 'Rimini'), (2, 'Albergo Città di Forlì', 'Forlì');

CREATE TABLE Clienti (
    NumeroHotel INTEGER NOT NULL, CodiceCliente INTEGER NOT NULL, Cognome TEXT, Nome TEXT, Citta TEXT,
    Note TEXT, PRIMARY KEY (NumeroHotel, CodiceCliente));
INSERT INTO Clienti VALUES
    (1, 1, 'Rossi', 'Mario', 'Bologna', NULL),
    (1, 2, 'D''Angelo', 'Lucia', 'Sant''Agata Feltria', 'Cliente abituale'),
    (1, 3, 'Bianchi', 'Niccolò', 'Cantù', NULL),
    (1, 4, 'Società Agricola Il Poggio', NULL, 'Mondovì', 'Fattura elettronica'),
    (1, 5, 'Dell''Orto', 'Anna', 'Forlì', NULL),
    (2, 1, 'Verdi', 'Giuseppe', 'Busseto', NULL);

CREATE TABLE Prenotazioni (
    NumeroHotel INTEGER NOT NULL, NumeroPrenotazione INTEGER NOT NULL, CodiceCliente INTEGER,
    Camera INTEGER, Persone INTEGER, DataArrivo TEXT, DataPartenza TEXT, Tariffa REAL,
    Importo NUMERIC, Acconto NUMERIC, Pagato INTEGER, Note TEXT,
    PRIMARY KEY (NumeroHotel, NumeroPrenotazione));

-- Ninety bookings for hotel 1, one every nine days from 2 January 2024, and twenty for hotel 2.
WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 90)
INSERT INTO Prenotazioni
SELECT 1, i, 1 + i % 5, 101 + (i * 7) % 40, 1 + i % 4,
       strftime('%Y%m%d', '2024-01-02', '+' || (i * 9) || ' days'),
       CASE WHEN i % 17 = 0 THEN NULL
            ELSE strftime('%Y%m%d', '2024-01-02', '+' || (i * 9 + 1 + i % 6) || ' days') END,
       CASE i % 3 WHEN 0 THEN 79.9 WHEN 1 THEN 89.9 ELSE 149.99 END,
       (1 + i % 6) * (CASE i % 3 WHEN 0 THEN 79.9 WHEN 1 THEN 89.9 ELSE 149.99 END) * (1 + i % 4),
       CASE WHEN i % 2 = 0 THEN 50 ELSE 0 END,
       i % 2,
       CASE i % 5
            WHEN 0 THEN 'Richiesta culla e parcheggio coperto per tutta la durata del soggiorno'
            WHEN 1 THEN 'Arrivo in tarda serata'
            WHEN 2 THEN NULL
            WHEN 3 THEN 'Camera vista mare, piano alto, lontano dall''ascensore, con colazione in camera'
            ELSE 'Caparra versata con bonifico' END
FROM n;

WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20)
INSERT INTO Prenotazioni
SELECT 2, i, 1, 10 + i, 2, strftime('%Y%m%d', '2024-02-01', '+' || (i * 30) || ' days'),
       strftime('%Y%m%d', '2024-02-03', '+' || (i * 30) || ' days'), 95, 190, 0, 1, NULL
FROM n;
