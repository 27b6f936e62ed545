/******************************************************************************/
/****     Quendal: обновление базы данных с версии 5 до версии 6           ****/
/****     Сформировано из базы данных Quendal.fdb                          ****/
/****     Server version: LI-V3.0.11.33703 Firebird 3.0                    ****/
/****     SQL Dialect: 3                                                   ****/
/****     Page size: 4096                                                  ****/
/******************************************************************************/

SET NAMES WIN1251;

SET SQL DIALECT 3;

SET AUTODDL ON;

execute procedure Check_Versio(6);
commit;
reconnect; 

/******************************************************************************/
/****                 Новые поля, таблицы и генераторы                     ****/
/******************************************************************************/

-- Электронная почта клиента и артикул товара
ALTER TABLE CLIENTS ADD EMAIL VARCHAR(80);
ALTER TABLE GOODS ADD ARTICLE VARCHAR(20);
ALTER TABLE ORDERS ADD PAID NUMERIC(15,2) DEFAULT 0 NOT NULL;

CREATE TABLE PAYMENTS (
  ID       INTEGER NOT NULL,
  ORDER_ID INTEGER NOT NULL,
  PAID_AT  TIMESTAMP DEFAULT CURRENT_TIMESTAMP NOT NULL,
  AMOUNT   NUMERIC(15,2) NOT NULL,
  NOTE     VARCHAR(200),
  CONSTRAINT PK_PAYMENTS PRIMARY KEY (ID),
  CONSTRAINT FK_PAYMENTS_ORDER FOREIGN KEY (ORDER_ID) REFERENCES ORDERS (ID)
);

CREATE SEQUENCE GEN_PAYMENTS_ID;

commit;

/******************************************************************************/
/****                              Триггеры                                ****/
/******************************************************************************/

SET TERM ^ ;

CREATE TRIGGER PAYMENTS_BI FOR PAYMENTS ACTIVE BEFORE INSERT POSITION 0
AS
BEGIN
  IF (NEW.ID IS NULL) THEN
    NEW.ID = NEXT VALUE FOR GEN_PAYMENTS_ID;
END^

SET TERM ; ^

SET TERM ^ ;

/* Оплаченная сумма заказа следует за его платежами. */
CREATE TRIGGER PAYMENTS_AIUD FOR PAYMENTS ACTIVE AFTER INSERT OR UPDATE OR DELETE POSITION 10
AS
BEGIN
  IF (INSERTING OR UPDATING) THEN
    UPDATE ORDERS SET PAID = PAID + NEW.AMOUNT WHERE ID = NEW.ORDER_ID;
  IF (UPDATING OR DELETING) THEN
    UPDATE ORDERS SET PAID = PAID - OLD.AMOUNT WHERE ID = OLD.ORDER_ID;
END^

SET TERM ; ^

SET TERM ^ ;

CREATE TRIGGER CLIENTS_BIU FOR CLIENTS ACTIVE BEFORE INSERT OR UPDATE POSITION 5
AS
BEGIN
  -- адрес почты хранится без пробелов по краям и в нижнем регистре
  NEW.EMAIL = LOWER(TRIM(NEW.EMAIL));
END^

SET TERM ; ^

RECONNECT;

CREATE INDEX IDX_ORDERS_DATE ON ORDERS (ORDER_DATE);
CREATE INDEX IDX_CLIENTS_NAME ON CLIENTS (NAME);
CREATE UNIQUE INDEX IDX_GOODS_ARTICLE ON GOODS (ARTICLE);

/******************************************************************************/
/****                          Хранимые процедуры                          ****/
/******************************************************************************/

SET TERM ^ ;

CREATE OR ALTER PROCEDURE ORDER_BALANCE (ORDER_ID INTEGER)
RETURNS (TOTAL NUMERIC(15,2), PAID NUMERIC(15,2), DEBT NUMERIC(15,2))
AS
BEGIN
  SELECT TOTAL, PAID FROM ORDERS WHERE ID = :ORDER_ID INTO :TOTAL, :PAID;
  DEBT = COALESCE(TOTAL, 0) - COALESCE(PAID, 0);
  SUSPEND;
END^

SET TERM ; ^

SET TERM ^ ;

/* Версия 6: вместе с суммой заказов процедура возвращает долг клиента. */
CREATE OR ALTER PROCEDURE CLIENT_TOTAL (CLIENT_ID INTEGER)
RETURNS (TOTAL NUMERIC(15,2), DEBT NUMERIC(15,2))
AS
BEGIN
  SELECT COALESCE(SUM(TOTAL), 0), COALESCE(SUM(TOTAL - PAID), 0)
    FROM ORDERS
    WHERE CLIENT_ID = :CLIENT_ID
    INTO :TOTAL, :DEBT;
  SUSPEND;
END^

SET TERM ; ^

Commit;

GRANT SELECT, INSERT, UPDATE, DELETE ON PAYMENTS TO PUBLIC;
GRANT EXECUTE ON PROCEDURE ORDER_BALANCE TO PUBLIC;
GRANT SELECT ON ORDERS TO PROCEDURE ORDER_BALANCE;
GRANT SELECT ON ORDERS TO PROCEDURE CLIENT_TOTAL;
GRANT UPDATE ON ORDERS TO TRIGGER PAYMENTS_AIUD;

commit;

SET NAMES WIN1251;

SET SQL DIALECT 3;

SET AUTODDL ON;

/******************************************************************************/
/****      Данные: на время загрузки триггеры приложения выключены         ****/
/******************************************************************************/

ALTER TRIGGER CLIENTS_BI INACTIVE;
ALTER TRIGGER CLIENTS_BIU INACTIVE;
ALTER TRIGGER GOODS_BI INACTIVE;
ALTER TRIGGER ORDERS_BI INACTIVE;
ALTER TRIGGER ORDER_LINES_BI INACTIVE;
ALTER TRIGGER ORDER_LINES_AIUD INACTIVE;
ALTER TRIGGER PAYMENTS_BI INACTIVE;
ALTER TRIGGER PAYMENTS_AIUD INACTIVE;

UPDATE CLIENTS SET EMAIL = 'office@romashka.ru' WHERE ID = 1;
UPDATE CLIENTS SET EMAIL = 'ivanov.ii@mail.ru' WHERE ID = 2;
UPDATE CLIENTS SET EMAIL = 'zakaz@sev-veter.ru' WHERE ID = 3;
UPDATE CLIENTS SET EMAIL = 'info@yolki-palki.ru' WHERE ID = 4;
UPDATE CLIENTS SET EMAIL = 'snab@ural-gems.ru' WHERE ID = 6;

UPDATE GOODS SET ARTICLE = 'БМ-А4-500' WHERE ID = 1;
UPDATE GOODS SET ARTICLE = 'РШ-С' WHERE ID = 2;
UPDATE GOODS SET ARTICLE = 'КЧ-HB' WHERE ID = 3;
UPDATE GOODS SET ARTICLE = 'СК-28' WHERE ID = 4;
UPDATE GOODS SET ARTICLE = 'СТ-24' WHERE ID = 5;
UPDATE GOODS SET ARTICLE = 'ТТ-48К' WHERE ID = 6;
UPDATE GOODS SET ARTICLE = 'КК-21' WHERE ID = 7;
UPDATE GOODS SET ARTICLE = 'КН-01' WHERE ID = 8;
UPDATE GOODS SET ARTICLE = 'КП-01' WHERE ID = 9;
UPDATE GOODS SET ARTICLE = 'БЗ-Ж' WHERE ID = 10;
UPDATE GOODS SET PRICE = 399.00 WHERE ID = 1;

INSERT INTO GOODS (ID, NAME, UNIT, PRICE, ARTICLE) VALUES (11, 'Папка-регистратор 75 мм', 'шт', 189.00, 'ПР-75');
INSERT INTO GOODS (ID, NAME, UNIT, PRICE, ARTICLE) VALUES (12, 'Маркер текстовый, набор 4 цвета', 'набор', 256.00, 'МТ-4');
INSERT INTO GOODS (ID, NAME, UNIT, PRICE, ARTICLE) VALUES (13, 'Файл-вкладыш А4, 100 шт.', 'уп', 210.00, 'ФВ-А4');

INSERT INTO CLIENTS (ID, NAME, CITY, PHONE, EMAIL) VALUES (9, 'ООО "Чайка"', 'Сочи', '+7 862 262-62-62', 'chaika@sochi.ru');

INSERT INTO ORDERS (ID, CLIENT_ID, ORDER_DATE, TOTAL, NOTE) VALUES (7, 9, '2024-03-20', 2158.00, 'Первый заказ');
INSERT INTO ORDER_LINES (ID, ORDER_ID, GOODS_ID, QTY, PRICE) VALUES (13, 7, 11, 6, 189.00);
INSERT INTO ORDER_LINES (ID, ORDER_ID, GOODS_ID, QTY, PRICE) VALUES (14, 7, 12, 4, 256.00);

-- Платежи: оплаченные суммы заказов проставлены ниже, триггер PAYMENTS_AIUD выключен
INSERT INTO PAYMENTS (ID, ORDER_ID, PAID_AT, AMOUNT, NOTE) VALUES (1, 1, '2024-02-05 10:15:00', 5344.50, 'Оплата по счёту №1');
INSERT INTO PAYMENTS (ID, ORDER_ID, PAID_AT, AMOUNT, NOTE) VALUES (2, 2, '2024-02-07 12:00:00', 1000.00, 'Частичная оплата');
INSERT INTO PAYMENTS (ID, ORDER_ID, PAID_AT, AMOUNT, NOTE) VALUES (3, 3, '2024-02-15 09:30:00', 24780.00, 'Оплата по счёту №3');
INSERT INTO PAYMENTS (ID, ORDER_ID, PAID_AT, AMOUNT, NOTE) VALUES (4, 5, '2024-03-06 16:45:00', 1752.60, 'Наличными');

UPDATE ORDERS SET PAID = 5344.50 WHERE ID = 1;
UPDATE ORDERS SET PAID = 1000.00 WHERE ID = 2;
UPDATE ORDERS SET PAID = 24780.00 WHERE ID = 3;
UPDATE ORDERS SET PAID = 1752.60 WHERE ID = 5;

SET GENERATOR GEN_CLIENTS_ID TO 9;
SET GENERATOR GEN_GOODS_ID TO 13;
SET GENERATOR GEN_ORDERS_ID TO 7;
SET GENERATOR GEN_ORDER_LINES_ID TO 14;
SET GENERATOR GEN_PAYMENTS_ID TO 4;

ALTER TRIGGER CLIENTS_BI ACTIVE;
ALTER TRIGGER CLIENTS_BIU ACTIVE;
ALTER TRIGGER GOODS_BI ACTIVE;
ALTER TRIGGER ORDERS_BI ACTIVE;
ALTER TRIGGER ORDER_LINES_BI ACTIVE;
ALTER TRIGGER ORDER_LINES_AIUD ACTIVE;
ALTER TRIGGER PAYMENTS_BI ACTIVE;
ALTER TRIGGER PAYMENTS_AIUD ACTIVE;

commit work;

/******************************************************************************/
/****                   Отчёты, представления, статистика                  ****/
/******************************************************************************/

SET TERM ^ ;

CREATE OR ALTER PROCEDURE GOODS_SALES (GOODS_ID INTEGER)
RETURNS (QTY NUMERIC(15,3), AMOUNT NUMERIC(15,2))
AS
BEGIN
  SELECT COALESCE(SUM(QTY), 0), COALESCE(SUM(QTY * PRICE), 0)
    FROM ORDER_LINES
    WHERE GOODS_ID = :GOODS_ID
    INTO :QTY, :AMOUNT;
  SUSPEND;
END^

SET TERM ; ^

CREATE VIEW V_DEBTORS (CLIENT_ID, NAME, DEBT) AS
  SELECT C.ID, C.NAME, SUM(O.TOTAL - O.PAID)
    FROM CLIENTS C
    JOIN ORDERS O ON O.CLIENT_ID = C.ID
    GROUP BY C.ID, C.NAME
    HAVING SUM(O.TOTAL - O.PAID) > 0;

GRANT EXECUTE ON PROCEDURE GOODS_SALES TO PUBLIC;
GRANT SELECT ON V_DEBTORS TO PUBLIC;

commit;

SET STATISTICS INDEX PK_CLIENTS;
SET STATISTICS INDEX PK_GOODS;
SET STATISTICS INDEX PK_ORDERS;
SET STATISTICS INDEX PK_ORDER_LINES;
SET STATISTICS INDEX PK_PAYMENTS;
SET STATISTICS INDEX IDX_ORDERS_DATE;
SET STATISTICS INDEX IDX_CLIENTS_NAME;
SET STATISTICS INDEX IDX_GOODS_ARTICLE;

commit;

INSERT INTO VERSIO (VERSIO_NO, NOTE) VALUES (6, 'Обновление до версии 6');
commit;
