-- qelvDL.mdb: special pollution-equivalent values.
CREATE TABLE "dl" (
  "BainHao" TEXT(20) COLLATE NOCASE CHECK (length("BainHao") <= 20),
  "DangLiangMingCheng" TEXT(50) COLLATE NOCASE CHECK (length("DangLiangMingCheng") <= 50),
  "DangLiangJiBie" TEXT(20) COLLATE NOCASE CHECK (length("DangLiangJiBie") <= 20),
  "DangLiang" DOUBLE CHECK (typeof("DangLiang") IN ('integer','real','null')),
  "DangLiangLeiXing" TEXT(50) COLLATE NOCASE CHECK (length("DangLiangLeiXing") <= 50)
);

