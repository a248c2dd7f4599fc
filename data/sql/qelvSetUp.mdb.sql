-- qelvSetUp.mdb: operators, the payee bureau, the notice texts and the late-fee settings.
CREATE TABLE "User" (
  "UserName" TEXT(50) COLLATE NOCASE CHECK (length("UserName") <= 50) NOT NULL,
  "PassWord" TEXT(50) COLLATE NOCASE CHECK (length("PassWord") <= 50)
);

CREATE TABLE "hbj" (
  "DanWeiMingCheng" TEXT(100) COLLATE NOCASE CHECK (length("DanWeiMingCheng") <= 100),
  "KaiHuYingHang" TEXT(100) COLLATE NOCASE CHECK (length("KaiHuYingHang") <= 100),
  "ZhangHao" TEXT(50) COLLATE NOCASE CHECK (length("ZhangHao") <= 50),
  "WeiTuoID" TEXT(50) COLLATE NOCASE CHECK (length("WeiTuoID") <= 50)
);

CREATE TABLE "tz" (
  "FaLvFaGui" LONGTEXT COLLATE NOCASE,
  "JiaoKuanQiXian" LONGTEXT COLLATE NOCASE,
  "KaiHuYinHang" TEXT(100) COLLATE NOCASE CHECK (length("KaiHuYinHang") <= 100),
  "ZhangHao" TEXT(50) COLLATE NOCASE CHECK (length("ZhangHao") <= 50),
  "YiYi" LONGTEXT COLLATE NOCASE,
  "DianHua" TEXT(50) COLLATE NOCASE CHECK (length("DianHua") <= 50),
  "ShouKuanDanWei" TEXT(100) COLLATE NOCASE CHECK (length("ShouKuanDanWei") <= 100),
  "JiaoDuiRen" TEXT(50) COLLATE NOCASE CHECK (length("JiaoDuiRen") <= 50)
);

CREATE TABLE "znj" (
  "ZhiNaJinXiTong" YESNO CHECK (typeof("ZhiNaJinXiTong") IN ('integer','null')) NOT NULL DEFAULT 0,
  "QiShiTianShu" SMALLINT CHECK (typeof("QiShiTianShu") IN ('integer','null') AND "QiShiTianShu" BETWEEN -32768 AND 32767) DEFAULT 0,
  "BiLi" SINGLE CHECK (typeof("BiLi") IN ('integer','real','null')) DEFAULT 0
);

-- The first operator; change the password in 系统管理 > 用户管理 after the first login.
INSERT INTO "User" (UserName, PassWord) VALUES ('admin', 'admin');
INSERT INTO tz (FaLvFaGui, JiaoKuanQiXian, KaiHuYinHang, ZhangHao, YiYi, DianHua, ShouKuanDanWei, JiaoDuiRen)
VALUES ('', '', '', '', '', '', '', '');
INSERT INTO znj (ZhiNaJinXiTong, QiShiTianShu, BiLi) VALUES (0, 0, 0);
