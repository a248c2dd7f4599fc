-- qelvwrw.mdb: the pollutant catalogue, the formula tokens and the scratch table of the formula keypad.
CREATE TABLE "wrw" (
  "WuRanWuBianHao" TEXT(20) COLLATE NOCASE CHECK (length("WuRanWuBianHao") <= 20) NOT NULL,
  "MingCheng" TEXT(50) COLLATE NOCASE CHECK (length("MingCheng") <= 50),
  "LeiXing" SMALLINT CHECK (typeof("LeiXing") IN ('integer','null') AND "LeiXing" BETWEEN -32768 AND 32767),
  "FenLei" TEXT(10) COLLATE NOCASE CHECK (length("FenLei") <= 10)
);

CREATE TABLE "wrwgs" (
  "ID" INTEGER CHECK (typeof("ID") IN ('integer','null') AND "ID" BETWEEN -2147483648 AND 2147483647),
  "MingCheng" TEXT(50) COLLATE NOCASE CHECK (length("MingCheng") <= 50),
  "BiaoJi" SMALLINT CHECK (typeof("BiaoJi") IN ('integer','null') AND "BiaoJi" BETWEEN -32768 AND 32767),
  "WuRanWuBianHao" TEXT(20) COLLATE NOCASE CHECK (length("WuRanWuBianHao") <= 20)
);

CREATE TABLE "wrwgsmb" (
  "ID" INTEGER PRIMARY KEY AUTOINCREMENT,
  "MingCheng" TEXT(50) COLLATE NOCASE CHECK (length("MingCheng") <= 50),
  "BiaoJi" SMALLINT CHECK (typeof("BiaoJi") IN ('integer','null') AND "BiaoJi" BETWEEN -32768 AND 32767),
  "WuRanWuBianHao" TEXT(20) COLLATE NOCASE CHECK (length("WuRanWuBianHao") <= 20)
);

